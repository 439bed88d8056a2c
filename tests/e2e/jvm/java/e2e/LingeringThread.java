package e2e;

import java.util.concurrent.CountDownLatch;

/** Leaves a non-daemon thread working after main has returned. */
public final class LingeringThread {
    public static void main(String[] args) {
        CountDownLatch mainDone = new CountDownLatch(1);
        Thread worker = new Thread(() -> {
            try {
                mainDone.await();
                // Still busy while the launcher tears the virtual machine down.
                Thread.sleep(300);
            } catch (InterruptedException e) {
                System.out.println("worker interrupted");
                return;
            }
            System.out.println("worker finished");
            System.out.flush();
        });
        worker.setDaemon(false);
        worker.start();
        System.out.println("main returns");
        System.out.flush();
        mainDone.countDown();
    }
}
