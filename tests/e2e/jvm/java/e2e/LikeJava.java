package e2e;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.concurrent.CountDownLatch;

/**
 * Does what a client run by the JDK's own launcher may do; the argument after the program's
 * name says what.
 */
public final class LikeJava {
    public static void main(String[] args) throws Exception {
        switch (args[1]) {
            case "join-main" -> joinMainFromHook(false);
            case "join-main-after-sigterm" -> joinMainFromHook(true);
            case "handler-exits" -> {
                Thread.setDefaultUncaughtExceptionHandler((thread, e) -> {
                    System.out.println("handler got " + e.getMessage() + " from " + thread.getName());
                    System.exit(3);
                });
                throw new IllegalStateException("the failure");
            }
            case "unprintable-exception" -> throw new RuntimeException() {
                @Override
                public String getMessage() {
                    throw new IllegalStateException("no message either");
                }
            };
            default -> {
                // Leaves a mark, then writes on: standard output may be a pipe nobody reads.
                Files.writeString(Path.of("client-ran"), args.length + " arguments\n");
                for (int i = 0; i < 1000; i++) {
                    System.out.println("line " + i);
                }
            }
        }
    }

    /** The usual graceful shutdown: a hook that waits for the main thread to finish. */
    private static void joinMainFromHook(boolean terminate) throws Exception {
        Thread main = Thread.currentThread();
        CountDownLatch shuttingDown = new CountDownLatch(1);
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            shuttingDown.countDown();
            try {
                main.join();
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("hook saw main end");
        }));
        if (terminate) {
            String pid = Long.toString(ProcessHandle.current().pid());
            new ProcessBuilder("kill", "-TERM", pid).inheritIO().start().waitFor();
            shuttingDown.await();
        }
        System.out.println("main returns");
    }
}
