// kestrava: the editor. kestrava [--data DIR] [project.ksv]
#include "app/shell/Startup.h"

int main(int argc, char** argv) { return RunEditor(argc, argv, KESTRAVA_VERSION); }
