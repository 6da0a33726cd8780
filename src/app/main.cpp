#include <QApplication>

#include "app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return kotopa::RunKotopa(app);
}
