#include <QApplication>

#include "app/Program.h"

// The program's one event loop: everything else is awaited on it.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korvel::Program program;
    program.start();
    return app.exec();
}
