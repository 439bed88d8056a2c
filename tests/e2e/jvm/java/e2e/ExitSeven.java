package e2e;

/** Ends the process from inside main. */
public final class ExitSeven {
    public static void main(String[] args) {
        System.out.println("exiting with 7");
        System.out.flush();
        System.exit(7);
    }
}
