#include "handler/handler_run.h"

int main(int argc, char** argv) { return Main(argc, argv); }
