package com.example.greeting;

/** A class of the second jar; it says which file of that jar the launcher chose. */
public final class Greeter {
    /** A main as "java -jar" runs it: every argument is a name, none is the program. */
    public static void main(String[] names) {
        for (String name : names) {
            System.out.println(new Greeter().greet(name));
        }
    }

    public String greet(String whom) {
        String jar = Greeter.class.getProtectionDomain().getCodeSource().getLocation().getPath();
        return "Hello, " + whom + "! (greeting loaded from " + jar + ")";
    }
}
