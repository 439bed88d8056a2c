package com.example.entry;

/**
 * The class to name as main.class when the client's own main takes only its arguments, as
 * under "java -jar": the launcher hands over itself as element 0, which such a main would open
 * as a document. Replace Greeter with the client's main class.
 */
public final class LauncherEntry {
    public static void main(String[] args) throws Exception {
        int first = Math.min(1, args.length);
        com.example.greeting.Greeter.main(java.util.Arrays.copyOfRange(args, first, args.length));
    }
}
