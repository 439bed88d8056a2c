package com.example.demo;

import com.example.greeting.Greeter;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;

/** The demo client: shows what the launcher handed over and uses a class of a second jar. */
public final class DemoClient {
    public static void main(String[] args) throws IOException {
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
        if (args.length > 1 && args[1].equals("--update")) {
            update(Path.of(args.length > 2 ? args[2] : "updates/2.2.0"));
        }
    }

    // Updates the client to 2.2.0 as an updater inside it would, from the folder its download
    // left (the working directory is the installation folder): the files, then the list.
    private static void update(Path download) throws IOException {
        new Updater(Path.of(""))
                .stage("lib/client__V2.2.0.jar.new",
                        Files.readAllBytes(download.resolve("lib/client__V2.2.0.jar.new")))
                .stage("update/version", Files.readAllBytes(download.resolve("update/version")))
                .delete("lib/client__V2.0.3.jar")
                .rename("lib/client__V2.2.0.jar.new", "lib/client__V2.2.0.jar")
                .delete("ext/greeting__V2.0.0.jar")
                .delete("lib/client.jar")
                .delete("version")
                .rename("update/version", "version")
                .commit();
        System.out.println("Update to 2.2.0 left for the launcher's next start.");
    }
}
