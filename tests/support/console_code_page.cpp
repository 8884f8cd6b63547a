// Prints the output code page of the console it runs in (0 without a console), so that
// scripts/test-windows.sh can see which code page tessaro-cli leaves the clerk's console at.
// No spaces: Wine's console draws a space as a cursor move. A Windows test tool, built with
// the Windows tests only.
#include <windows.h>

#include <cstdio>

int main() { std::printf("console-output-code-page:%u\n", ::GetConsoleOutputCP()); }
