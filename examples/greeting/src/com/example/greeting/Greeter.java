package com.example.greeting;

/** A class of the second jar; it says which file of that jar the launcher chose. */
public final class Greeter {
    public String greet(String whom) {
        String jar = Greeter.class.getProtectionDomain().getCodeSource().getLocation().getPath();
        return "Hello, " + whom + "! (greeting loaded from " + jar + ")";
    }
}
