import java.util.List;

/** Greets everyone on a list. */
class Greeter {
    private final List<String> names;

    Greeter(List<String> names) { this.names = names; }

    void greet() {
        for (String name : names) { System.out.println("Hello, " + name + "!"); }
    }

    public static void main(String[] args) {
        new Greeter(List.of("Ada", "Linus")).greet();
    }
}
