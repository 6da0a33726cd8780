// The yardstick of the start-up measurement in app_bench: a bare Qt window showing one
// Japanese label, nothing else.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("日本語の練習"));
    label.setWindowTitle(QStringLiteral("bare"));
    label.show();
    return QApplication::exec();
}
