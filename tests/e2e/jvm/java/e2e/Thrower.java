package e2e;

/** A main that ends by an exception. */
public final class Thrower {
    public static void main(String[] args) {
        failDeeper();
    }

    private static void failDeeper() {
        throw new IllegalStateException("client failure");
    }
}
