#include <stdio.h>

/* Prints a greeting and counts to three. */
int main(void) {
    int i;
    for (i = 0; i < 3; i++) { printf("%d: hello, world\n", i); }
    if (i == 3) { puts("done"); } else { puts("odd"); }
    return 0;
}
