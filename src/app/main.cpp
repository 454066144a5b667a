#include "app/Program.h"

int main(int argc, char** argv) {
    return korvel::RunProgram(argc, argv);
}
