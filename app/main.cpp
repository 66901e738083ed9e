// Entry point of the window program `vantora`.
#include "app/Startup.h"

int main(int argc, char** argv) { return vantora::RunVantora(argc, argv); }
