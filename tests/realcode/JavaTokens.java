import com.sun.tools.javac.file.JavacFileManager;
import com.sun.tools.javac.parser.Scanner;
import com.sun.tools.javac.parser.ScannerFactory;
import com.sun.tools.javac.parser.Tokens;
import com.sun.tools.javac.util.Context;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/** Compares the javac token streams of each pair of files listed. */
public class JavaTokens {
  public static void main(String[] args) throws Exception {
    Context context = new Context();
    JavacFileManager.preRegister(context);
    ScannerFactory factory = ScannerFactory.instance(context);
    for (String line : Files.readAllLines(Path.of(args[0]))) {
      String[] fields = line.split("\t");
      List<String> before = tokens(factory, Path.of(fields[1]));
      List<String> after = tokens(factory, Path.of(fields[2]));
      if (before == null) {
        System.out.println("UNLEXABLE " + fields[0]);
      } else if (!before.equals(after)) {
        System.out.println("DIFFERS " + fields[0] + ": " + difference(before, after));
      }
    }
  }

  /** The tokens of the file, or null where the scanner cannot read it. */
  static List<String> tokens(ScannerFactory factory, Path path) throws Exception {
    try {
      return scan(factory, path);
    } catch (RuntimeException error) {
      return null;
    }
  }

  static List<String> scan(ScannerFactory factory, Path path) throws Exception {
    String text = new String(Files.readAllBytes(path), StandardCharsets.ISO_8859_1);
    Scanner scanner = factory.newScanner(text, true);
    List<String> tokens = new ArrayList<>();
    int previousEnd = 0;
    for (scanner.nextToken(); ; scanner.nextToken()) {
      Tokens.Token token = scanner.token();
      // What lies between two tokens is white space and comments.
      String between = text.substring(previousEnd, token.pos).replaceAll("[ \\t\\n\\r\\f]", "");
      if (!between.isEmpty()) tokens.add("comments " + between);
      if (token.kind == Tokens.TokenKind.EOF) break;
      tokens.add(token.kind + " " + text.substring(token.pos, token.endPos));
      previousEnd = token.endPos;
    }
    return tokens;
  }

  static String difference(List<String> before, List<String> after) {
    if (after == null) return "the sorted code cannot be read";
    for (int i = 0; i < Math.min(before.size(), after.size()); i++) {
      if (!before.get(i).equals(after.get(i))) {
        return "token " + i + ": [" + before.get(i) + "] became [" + after.get(i) + "]";
      }
    }
    return before.size() + " tokens became " + after.size();
  }
}
