package e2e;

/** Has a static main, but not the one that takes a String[]. */
public final class WrongMain {
    public static void main() {
        System.out.println("must not run");
    }
}
