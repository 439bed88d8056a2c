package e2e;

import com.example.demo.Updater;
import java.nio.charset.StandardCharsets;
import java.nio.file.Path;

/** Leaves, through the sample's updater, each argument as a file whose content is its name. */
public final class SelfUpdate {
    public static void main(String[] args) throws Exception {
        Updater update = new Updater(Path.of(""));
        for (int i = 1; i < args.length; i++) {
            update.stage(args[i] + ".new", args[i].getBytes(StandardCharsets.UTF_8));
            update.delete(args[i]).rename(args[i] + ".new", args[i]);
        }
        if (args.length > 1) {
            update.commit();
        }
    }
}
