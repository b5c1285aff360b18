// The baseline of the start-up measurement: a bare QMainWindow, built with the same compiler,
// flags and Qt as Tessivar, shown the same way. Two options add one thing each that Tessivar's
// window does at start, so the benchmark can show what they cost on their own:
//   --label   a text label as the central widget (the fonts are loaded for it)
//   --ports   the list of serial ports, as the settings dialog takes it
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QSerialPortInfo>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    QMainWindow window;
    if (arguments.contains(QStringLiteral("--label")))
        window.setCentralWidget(new QLabel(QStringLiteral("Tessivar")));
    if (arguments.contains(QStringLiteral("--ports")))
        window.setWindowTitle(QString::number(QSerialPortInfo::availablePorts().size()));
    window.show();
    return app.exec();
}
