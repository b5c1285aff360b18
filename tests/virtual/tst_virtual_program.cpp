// SPDX-License-Identifier: MIT
#include "commands/commandset.h"
#include "jobs/jobdata.h"
#include "jobs/jobstreams.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

#include <sys/stat.h>
#include <unistd.h>

// The tessivar-virtual-controller program itself, without a window: what it prints when it is
// ready, the pictures and the trace it writes, its link, and the print head type it keeps in its
// settings from one run to the next. Its settings live in a temporary XDG_CONFIG_HOME.
class TestVirtualProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void headlessRunsOnLineAndTcp();
    void windowProgram_data();
    void windowProgram();
    void portInUse_data();
    void portInUse();
    void printerFromOptionsAndStandardInput();
    void badPrinterOptions_data();
    void badPrinterOptions();
    void oneControllerPerLink();
    void defaultLinkPlace_data();
    void defaultLinkPlace();
    void receiptsPage_data();
    void receiptsPage();
    void renderWritesFiles_data();
    void renderWritesFiles();

private:
    // Starts the program; returns its first line of output, or nothing if it ends first.
    // Without `link` it makes its link where it does by default.
    QByteArray start(QStringList arguments, bool link = true);
    // Ends it as scripts/run does, with SIGTERM.
    bool stop();
    static QJsonObject readJson(const QString &path);
    static QStringList texts(const QJsonObject &receipt);
    QByteArray ask(const QByteArray &request);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_program;
    QString m_link;
};

void TestVirtualProgram::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_link = m_dir->filePath(QStringLiteral("ttyTessivar0"));
}

void TestVirtualProgram::cleanup()
{
    if (m_program)
        m_program->kill();
    m_program.reset();
    m_dir.reset();
}

QByteArray TestVirtualProgram::start(QStringList arguments, bool link)
{
    m_program = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_dir->filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->filePath(QStringLiteral("run")));
    m_program->setProcessEnvironment(environment);
    if (link)
        arguments << QStringLiteral("--link") << m_link;
    m_program->start(QStringLiteral(VIRTUAL_CONTROLLER_PROGRAM),
                     QStringList{QStringLiteral("--headless")} + arguments);
    const bool ended = QTest::qWaitFor(
        [this] { return m_program->canReadLine() || m_program->state() == QProcess::NotRunning; },
        20000);
    return ended && m_program->canReadLine() ? m_program->readLine() : QByteArray();
}

bool TestVirtualProgram::stop()
{
    m_program->terminate();
    return m_program->waitForFinished(20000) && m_program->exitStatus() == QProcess::NormalExit &&
           m_program->exitCode() == 0;
}

QByteArray TestVirtualProgram::ask(const QByteArray &request)
{
    QSerialPort host(m_link);
    host.setBaudRate(115200);
    // One line of reply, up to its CR LF; nothing if none comes.
    QByteArray reply;
    const bool answered =
        host.open(QIODevice::ReadWrite) && host.write(request) > 0 &&
        QTest::qWaitFor([&] { return (reply += host.readAll()).endsWith("\r\n"); }, 10000);
    return answered ? reply : QByteArray();
}

void TestVirtualProgram::headlessRunsOnLineAndTcp()
{
    // The receipt that ends in a full cut comes over TCP, then a few lines that stay on the roll
    // over the line; the pictures of the cut piece and of the roll, and the trace, are written.
    const QString pictures = m_dir->filePath(QStringLiteral("png"));
    const QString trace = m_dir->filePath(QStringLiteral("trace.txt"));
    QCOMPARE(start({"--no-pacing", "--print-speed", "0", "--png-dir", pictures, "--trace", trace,
                    "--listen", "0"}),
             "Virtual controller ready on " + m_link.toLocal8Bit() + '\n');
    QVERIFY(QFileInfo(m_link).isSymLink());
    // Without a window nothing of the GUI is loaded: a lab runs many controllers.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(m_program->processId()));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(mapped.contains("libQt6Core"));
    QVERIFY(!mapped.contains("libQt6Gui") && !mapped.contains("libQt6Widgets"));
    QTRY_VERIFY(m_program->canReadLine());
    const QByteArray listening = m_program->readLine().trimmed();
    QVERIFY2(listening.startsWith("Listening for jobs over TCP on 127.0.0.1:"), listening);
    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), listening.split(':').last().toUShort());
    QVERIFY(client.waitForConnected(5000));
    client.write(Jobs::streamOf(
        [](CommandSet &commands) { Jobs::queueReceipt(commands, Jobs::fullCutReceipt); }));
    client.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(pictures + QStringLiteral("/cut-001.png")), 20000);
    // Everything has arrived once the controller answers what came behind it.
    QVERIFY(!ask("left on the roll\n\n\n\x10\x04").isEmpty());
    QVERIFY(ask("\x1bZ\x05\x10\x05").contains("print head type 5:"));
    QVERIFY(stop());

    QVERIFY(!QFileInfo(m_link).exists());
    const QImage piece(pictures + QStringLiteral("/cut-001.png"));
    const QImage roll(pictures + QStringLiteral("/roll.png"));
    // 58 mm wide; the roll goes on past the cut with the lines that followed it.
    QVERIFY(piece.width() == 384 && piece.height() > 200 && roll.height() > piece.height());
    QCOMPARE(roll.copy(0, 0, 384, piece.height()), piece.convertToFormat(roll.format()));
    QFile traceFile(trace);
    QVERIFY(traceFile.open(QIODevice::ReadOnly));
    const QByteArray traced = traceFile.readAll();
    for (const char *expected :
         {"\"Customer Receipt\"", "full cut", "\"left on the roll\"", "reply \"Status: ready"})
        QVERIFY2(traced.contains(expected), expected);
    // Beside each picture, what was printed on it: the receipt from the TCP client, cut, and
    // the lines the line brought after it, which the end of the session ended.
    const QJsonObject receipt = readJson(pictures + QStringLiteral("/cut-001.json"));
    const QJsonObject rest = readJson(pictures + QStringLiteral("/end-002.json"));
    QCOMPARE(receipt[QStringLiteral("version")].toInt(), 1);
    QCOMPARE(receipt[QStringLiteral("height")].toInt(), piece.height());
    QCOMPARE(receipt[QStringLiteral("cut")].toString(), QStringLiteral("full"));
    QCOMPARE(receipt[QStringLiteral("source")][QStringLiteral("kind")].toString(),
             QStringLiteral("tcp"));
    QVERIFY(texts(receipt).contains(QStringLiteral("Customer Receipt")));
    QVERIFY(!receipt[QStringLiteral("started")].toString().isEmpty());
    QCOMPARE(texts(rest), QStringList{QStringLiteral("left on the roll")});
    QCOMPARE(rest[QStringLiteral("source")][QStringLiteral("address")].toString(), m_link);
    QVERIFY(rest[QStringLiteral("cut")].isNull());
    // The next start, as after a power cycle: the head type is the one set before.
    QVERIFY(!start({}).isEmpty());
    QVERIFY(ask("\x10\x05").contains("print head type 5:"));
    QVERIFY(stop());
}

QJsonObject TestVirtualProgram::readJson(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

QStringList TestVirtualProgram::texts(const QJsonObject &receipt)
{
    QStringList lines;
    for (const QJsonValue &line : receipt[QStringLiteral("lines")].toArray())
        lines << line[QStringLiteral("text")].toString().trimmed();
    return lines;
}

void TestVirtualProgram::windowProgram_data()
{
    // Asked for a window, the program without GUI libraries gives way to the one with them, in
    // the same process, with the same command line; or says why it cannot.
    QTest::addColumn<QString>("platform"); // QT_QPA_PLATFORM; "-" for none and no display
    QTest::addColumn<bool>("alone");       // the program copied where the other is not
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("a window") << QStringLiteral("offscreen") << false
                              << QByteArray("Virtual controller ready on ");
    QTest::newRow("no display") << QStringLiteral("-") << false
                                << QByteArray("cannot open its window: no display");
    QTest::newRow("its window's program missing")
        << QStringLiteral("offscreen") << true
        << QByteArray("cannot open its window: tessivar-virtual-controller-window is missing");
}

void TestVirtualProgram::windowProgram()
{
    QFETCH(QString, platform);
    QFETCH(bool, alone);
    QFETCH(QByteArray, said);
    QString program = QStringLiteral(VIRTUAL_CONTROLLER_PROGRAM);
    if (alone) {
        program = m_dir->filePath(QStringLiteral("tessivar-virtual-controller"));
        QVERIFY(QFile::copy(QStringLiteral(VIRTUAL_CONTROLLER_PROGRAM), program));
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_dir->filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->filePath(QStringLiteral("run")));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    platform == QLatin1String("-")
        ? environment.remove(QStringLiteral("QT_QPA_PLATFORM"))
        : environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    m_program = std::make_unique<QProcess>();
    m_program->setProcessEnvironment(environment);
    m_program->setProcessChannelMode(QProcess::MergedChannels);
    m_program->start(program, {QStringLiteral("--link"), m_link, QStringLiteral("--no-pacing")});
    QVERIFY(QTest::qWaitFor(
        [this] { return m_program->canReadLine() || m_program->state() == QProcess::NotRunning; },
        20000));
    const QByteArray line = m_program->readLine();
    QVERIFY2(line.contains(said), line.constData());
    if (said.startsWith("cannot")) {
        QVERIFY(m_program->state() == QProcess::NotRunning || m_program->waitForFinished(20000));
        QCOMPARE(m_program->exitCode(), 1);
        return;
    }
    // The same process, now the program with the window, which prints and ends as before.
    const QString running =
        QFileInfo(QStringLiteral("/proc/%1/exe").arg(m_program->processId())).symLinkTarget();
    QVERIFY2(running.endsWith(QLatin1String("/tessivar-virtual-controller-window")),
             qPrintable(running));
    QVERIFY(ask("\x10\x05").contains("print head type"));
    QVERIFY(stop());
}

void TestVirtualProgram::portInUse_data()
{
    // The option whose port is taken, and the start of what the program says.
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("said");
    QTest::newRow("jobs over TCP")
        << QStringLiteral("--listen") << QStringLiteral("cannot listen on");
    QTest::newRow("the receipts page")
        << QStringLiteral("--http") << QStringLiteral("cannot serve the receipts page on");
}

void TestVirtualProgram::portInUse()
{
    // The program ends at once, says why, and leaves no link behind.
    QFETCH(QString, option);
    QFETCH(QString, said);
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(taken.serverPort());
    QCOMPARE(start({option, address}), QByteArray());
    QCOMPARE(m_program->state(), QProcess::NotRunning);
    QCOMPARE(m_program->exitCode(), 1);
    const QString error = QString::fromLocal8Bit(m_program->readAllStandardError());
    QVERIFY2(error.contains(QStringLiteral("%1 %2:").arg(said, address)), qPrintable(error));
    QVERIFY(!QFileInfo(m_link).exists() && !QFileInfo(m_link).isSymLink());
}

void TestVirtualProgram::printerFromOptionsAndStandardInput()
{
    QVERIFY(!start({"--paper", "out", "--cover", "open", "--roll-length", "5000", "--drawer-close",
                    "0"})
                 .isEmpty());
    const auto answer = [this](const QByteArray &lines) {
        m_program->write(lines);
        return QTest::qWaitFor([this] { return m_program->canReadLine(); }, 10000)
                   ? m_program->readLine()
                   : QByteArray();
    };
    QCOMPARE(answer("status\n"), "paper out, cover open, drawer closed, offline\n");
    // A line that makes no sense is refused and changes nothing; the others still count.
    QCOMPARE(answer("cover closed\npaper near-end\ncover ajar\ndrawer open\nstatus\n"),
             "paper near-end, cover closed, drawer open, online\n");
    const QString error = QString::fromLocal8Bit(m_program->readAllStandardError());
    QVERIFY2(error.count(u'\n') == 1 && error.contains(QStringLiteral("ajar")), qPrintable(error));
    // The end of its input ends nothing: the controller still answers on its line.
    m_program->closeWriteChannel();
    QVERIFY(!ask("\x10\x04").isEmpty());
    QCOMPARE(m_program->state(), QProcess::Running);
    QVERIFY(stop());
}

void TestVirtualProgram::badPrinterOptions_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("paper") << QStringList{"--paper", "empty"};
    QTest::newRow("cover") << QStringList{"--cover", "ajar"};
    QTest::newRow("roll length below 0") << QStringList{"--roll-length", "-5"};
    QTest::newRow("roll length no number") << QStringList{"--roll-length", "80m"};
    QTest::newRow("drawer close no number") << QStringList{"--drawer-close", "soon"};
    QTest::newRow("page on the next free port") << QStringList{"--http", "8080+"};
    QTest::newRow("page at a name") << QStringList{"--http", "example.com:8080"};
    QTest::newRow("page port too large") << QStringList{"--http", "65536"};
}

// The program ends at once with one line that names the option, and leaves no link behind.
void TestVirtualProgram::badPrinterOptions()
{
    QFETCH(QStringList, arguments);

    QCOMPARE(start(arguments), QByteArray());
    QCOMPARE(m_program->exitCode(), 1);
    const QString error = QString::fromLocal8Bit(m_program->readAllStandardError());
    QVERIFY2(error.count(u'\n') == 1 && error.contains(arguments.first() + u' '),
             qPrintable(error));
}

void TestVirtualProgram::oneControllerPerLink()
{
    QVERIFY(!start({}).isEmpty());
    std::unique_ptr<QProcess> serving = std::exchange(m_program, nullptr);
    // A second start on the same link is refused and names the controller that serves it, whose
    // link stays and still leads to it.
    QCOMPARE(start({}), QByteArray());
    QCOMPARE(m_program->exitCode(), 1);
    const QString error = QString::fromLocal8Bit(m_program->readAllStandardError());
    QVERIFY2(error.contains(QStringLiteral("%1 is served by a running controller (process %2)")
                                .arg(m_link)
                                .arg(serving->processId())),
             qPrintable(error));
    QVERIFY(ask("\x10\x04").startsWith("Status: ready"));
    // One that dies leaves its link behind; the next start replaces it.
    serving->kill();
    QVERIFY(serving->waitForFinished(20000));
    QVERIFY(QFileInfo(m_link).isSymLink());
    QVERIFY(!start({}).isEmpty());
    QVERIFY(ask("\x10\x04").startsWith("Status: ready"));
    QVERIFY(stop());
    QVERIFY(!QFileInfo(m_link).isSymLink());
}

void TestVirtualProgram::defaultLinkPlace_data()
{
    QTest::addColumn<QByteArray>("planted"); // what is at tessivar/ or its link before the start
    QTest::addColumn<bool>("starts");

    QTest::newRow("nothing yet") << QByteArray() << true;
    QTest::newRow("tessivar/ open to all") << QByteArray("open directory") << true;
    QTest::newRow("a link an earlier run left") << QByteArray("stale link") << true;
    QTest::newRow("tessivar a link to elsewhere") << QByteArray("directory link") << false;
    QTest::newRow("a file at the link's name") << QByteArray("file") << false;
    QTest::newRow("another user's link") << QByteArray("foreign link") << false;
}

// The default link lives in tessivar/ of the runtime directory, which only its user may write
// to. What is planted there is never followed, nor replaced unless it is a link the same user
// left; the controller then refuses to start and says why.
void TestVirtualProgram::defaultLinkPlace()
{
    QFETCH(QByteArray, planted);
    QFETCH(bool, starts);

    const QString runtime = m_dir->filePath(QStringLiteral("run")),
                  directory = runtime + "/tessivar", link = directory + "/ttyTessivar0",
                  elsewhere = m_dir->filePath("elsewhere");
    const QByteArray linkName = QFile::encodeName(link);
    QVERIFY(QDir().mkpath(elsewhere) && QDir().mkdir(runtime));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    if (planted == "directory link")
        QVERIFY(QFile::link(elsewhere, directory));
    else if (!planted.isEmpty())
        QVERIFY(QDir().mkdir(directory) &&
                ::chmod(QFile::encodeName(directory).constData(), 0777) == 0);
    if (planted == "stale link" || planted == "foreign link")
        QVERIFY(::symlink("/nonexistent/tty", linkName.constData()) == 0);
    if (planted == "foreign link" && ::lchown(linkName.constData(), 65534, 65534) != 0)
        QSKIP("only root can give a name to another user");
    QFile file(link);
    if (planted == "file")
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("planted") == 7);
    file.close();
    QCOMPARE(start({}, false),
             starts ? "Virtual controller ready on " + linkName + '\n' : QByteArray());
    const auto entries = [](const QString &path) {
        return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                    QDir::NoDotAndDotDot);
    };
    if (starts) {
        QCOMPARE(int(QFile::permissions(directory) & 0x7077), 0x7000); // rwx------
        QVERIFY(QFileInfo(directory).isDir() && !QFileInfo(directory).isSymLink());
        QVERIFY(QFileInfo(link).symLinkTarget().startsWith(QStringLiteral("/dev/pts/")));
        QVERIFY(stop());
        QCOMPARE(entries(directory), QStringList());
        return;
    }
    QCOMPARE(m_program->state(), QProcess::NotRunning);
    QCOMPARE(m_program->exitCode(), 1);
    // Nothing made through the planted name, and the planted name as it was.
    QCOMPARE(entries(elsewhere), QStringList());
    QVERIFY(planted != "file" || (file.open(QIODevice::ReadOnly) && file.readAll() == "planted"));
    QVERIFY(planted != "foreign link" ||
            file.symLinkTarget() == QStringLiteral("/nonexistent/tty"));
}

void TestVirtualProgram::receiptsPage_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("url"); // the page's address, up to its port

    QTest::newRow("port alone") << "0"
                                << "http://127.0.0.1:";
    QTest::newRow("port after a colon") << ":0"
                                        << "http://127.0.0.1:";
    QTest::newRow("IPv6 loopback") << "[::1]:0"
                                   << "http://[::1]:";
}

// --http says where the page is, after the other addresses, and the page lists a receipt that
// the controller printed; a bare port is loopback.
void TestVirtualProgram::receiptsPage()
{
    QFETCH(QString, address);
    QFETCH(QString, url);

    QVERIFY(!start({"--no-pacing", "--print-speed", "0", "--http", address}).isEmpty());
    QTRY_VERIFY(m_program->canReadLine());
    const QString page = QString::fromLocal8Bit(m_program->readLine().trimmed());
    QVERIFY2(page.startsWith(QStringLiteral("Receipts page on ") + url), qPrintable(page));
    QVERIFY(!ask("on the page\n\x1dV0\x10\x04").isEmpty()); // GS V 48: a full cut

    QNetworkAccessManager network;
    const QUrl list = QUrl(page.section(u' ', -1)).resolved(QUrl(QStringLiteral("receipts")));
    QByteArray body;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(list)));
            body = QTest::qWaitFor([&] { return reply->isFinished(); }, 10000) ? reply->readAll()
                                                                               : QByteArray();
            return body.contains("on the page");
        }(),
        20000);
    QVERIFY(stop());
}

void TestVirtualProgram::renderWritesFiles_data()
{
    // tessivar-render on a captured stream, as a test of point-of-sale software runs it: the
    // roll as PNG, JSON and PDF, at the head the stream's first ESC Z or --head selects. A path
    // that cannot be written fails the run, whichever file it is.
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<bool>("writable");
    QTest::newRow("58 mm") << "escpos3-receipt" << QStringList() << 384 << "PEER CAFE" << true;
    QTest::newRow("80 mm by --head")
        << "escpos3-receipt" << QStringList{"--head", "5"} << 576 << "PEER CAFE" << true;
    QTest::newRow("unwritable") << "escpos3-receipt" << QStringList() << 0 << QString() << false;
}

void TestVirtualProgram::renderWritesFiles()
{
    QFETCH(QString, stream);
    QFETCH(QStringList, options);
    QFETCH(int, width);
    QFETCH(QString, firstLine);
    QFETCH(bool, writable);
    const QString out = writable ? m_dir->path() : QStringLiteral("/nonexistent/folder");
    QProcess render;
    render.start(QStringLiteral(RENDER_PROGRAM),
                 options +
                     QStringList{"--png", out + "/roll.png", "--json", out + "/roll.json", "--pdf",
                                 out + "/roll.pdf",
                                 QStringLiteral(TESSIVAR_TEST_DATA "/peers/") + stream + ".bin"});
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), writable ? 0 : 1);
    if (!writable) {
        QVERIFY2(render.readAllStandardError().contains("cannot write /nonexistent/folder/"),
                 "the error names the file");
        return;
    }
    const QImage roll(out + "/roll.png");
    QCOMPARE(roll.width(), width);
    const QJsonObject json = readJson(out + "/roll.json");
    const QJsonArray receipts = json.value(QLatin1String("receipts")).toArray();
    QVERIFY(!receipts.isEmpty());
    QCOMPARE(texts(receipts.first().toObject()).value(0), firstLine);
    QCOMPARE(receipts.first()
                 .toObject()
                 .value(QLatin1String("head"))
                 .toObject()
                 .value(QLatin1String("dots"))
                 .toInt(),
             width);
    QFile pdf(out + "/roll.pdf");
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
}

QTEST_GUILESS_MAIN(TestVirtualProgram)
#include "tst_virtual_program.moc"
