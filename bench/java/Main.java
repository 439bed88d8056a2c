// The trivial main class that both start-up contenders run.
public class Main {
    public static void main(String[] arguments) {}
}
