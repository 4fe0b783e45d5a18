// Linked with one layer whole, and the layers below it, to show that the
// layer needs nothing else.
int main() {
  return 0;
}
