package com.example.demo;

import com.example.greeting.Greeter;

/** The demo client: shows what the launcher handed over and uses a class of a second jar. */
public final class DemoClient {
    public static void main(String[] args) {
        // Each client jar carries its own version in its manifest, so the output shows which
        // file of the client the launcher chose.
        String version = DemoClient.class.getPackage().getImplementationVersion();
        System.out.println();
        System.out.println("== Demo client " + version + " running inside the launcher's JVM ==");
        System.out.println("Java " + System.getProperty("java.version"));
        System.out.println("java.class.path  = " + System.getProperty("java.class.path"));
        System.out.println("jvm.bin.path     = " + System.getProperty("jvm.bin.path"));
        System.out.println("keystoreLocation = " + System.getProperty("keystoreLocation"));
        System.out.println("maximum heap     = " + Runtime.getRuntime().maxMemory() / (1024 * 1024)
                + " MB (memory.max in settings.properties)");
        System.out.println("arguments (element 0 is the launcher as typed):");
        for (int i = 0; i < args.length; i++) {
            System.out.println("  [" + i + "] " + args[i]);
        }
        System.out.println(new Greeter().greet(args.length > 1 ? args[1] : "world"));
    }
}
