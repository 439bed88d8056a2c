package e2e;

import com.sun.management.HotSpotDiagnosticMXBean;
import java.lang.management.ManagementFactory;

/** Prints what the launcher handed over, one item per line, non-ASCII text escaped. */
public final class ShowLaunch {
    public static void main(String[] args) throws Exception {
        StringBuilder out = new StringBuilder();
        out.append("argc=").append(args.length).append('\n');
        for (String arg : args) {
            out.append("arg=").append(escape(arg)).append('\n');
        }
        for (String key : new String[] {"java.class.path", "keystoreLocation", "jvm.bin.path"}) {
            out.append(key).append('=').append(escape(System.getProperty(key, "(unset)")));
            out.append('\n');
        }
        HotSpotDiagnosticMXBean hotSpot =
                ManagementFactory.getPlatformMXBean(HotSpotDiagnosticMXBean.class);
        out.append("MaxHeapSize=").append(hotSpot.getVMOption("MaxHeapSize").getValue());
        out.append('\n');
        System.out.print(out);
        System.out.flush();
    }

    static String escape(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c < 0x20 || c > 0x7e || c == '\\') {
                out.append(String.format("\\u%04X", (int) c));
            } else {
                out.append(c);
            }
        }
        return out.toString();
    }
}
