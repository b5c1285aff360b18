#include "expectedjobs.h"
#include "jobbench.h"

#include <QPlainTextEdit>
#include <QTest>

#include <memory>

using namespace Expect;

// The language tour: its stream section by section, the encodings on the wire, and the
// explanation in the console.
class TestLanguageJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void streamBySection_data();
    void streamBySection();
    void wholeStream();
    void account();

private:
    std::unique_ptr<JobBench> bench;
    QByteArray received;
};

// One press for the whole test: the sections are compared one by one so a fault names its
// section.
void TestLanguageJob::initTestCase()
{
    bench = std::make_unique<JobBench>();
    QVERIFY(bench->ready());
    QVERIFY(bench->click(QStringLiteral("pushButtonLanguage")));
    received = bench->receive(1749);
}

void TestLanguageJob::streamBySection_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("size");

    int offset = 0;
    for (const LanguageSection &s : languageSections()) {
        QTest::newRow(s.name) << offset << s.bytes << s.size;
        offset += s.size;
    }
}

void TestLanguageJob::streamBySection()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(int, size);
    QCOMPARE(bytes.size(), size);
    QCOMPARE(received.mid(offset, size), bytes);
}

void TestLanguageJob::wholeStream()
{
    QCOMPARE(received.size(), 1749);
    const QByteArray expected = languageTour();
    QCOMPARE(firstDifference(received, expected), -1);
    QCOMPARE(received, expected);
    // A zero byte would have cut a sample short in the controller.
    QVERIFY(!received.contains('\0'));
    QCOMPARE(received.count(latin), 4);

    // Double-byte mode is switched off as often as on, never before it is on.
    int depth = 0;
    for (qsizetype i = 0; i + 1 < received.size(); ++i) {
        if (received[i] != '\x1c')
            continue;
        depth += received[i + 1] == '&' ? 1 : received[i + 1] == '.' ? -1 : 0;
        QVERIFY(depth == 0 || depth == 1);
    }
    QCOMPARE(depth, 0);

    // A second press queues the same stream again.
    QVERIFY(bench->click(QStringLiteral("pushButtonLanguage")));
    QCOMPARE(bench->receive(1749), expected);
}

void TestLanguageJob::account()
{
    const QStringList explanation = {
        "The Controller works with Unicode however basic Latin and Latin-1 can be send as single "
        "byte character",
        " all other need to be sent as Unicode. Other DoubleByte languages are also supported "
        "e.g. Chinese, Japanese.",
        "Here is the range:",
        "Basic Latin and Latin-1 in range of 0x00h-0xFFh can be send as single byte",
        "Unicode:",
        "(unicode >=  0x0020UL && unicode <= 0x007FUL) ||  basic latin",
        "(unicode >=  0x00A0UL && unicode <= 0x017FUL) ||  part of latin1 & latin extended A",
        "(unicode >=  0x01A0UL && unicode <= 0x01CFUL) ||  part of Latin extended B",
        "(unicode >=  0x01F0UL && unicode <= 0x01FFUL) ||  part of Latin extended B",
        "(unicode >=  0x0210UL && unicode <= 0x021FUL) ||  part of Latin extended B",
        "(unicode >=\t 0x1EA0UL && unicode <= 0x1EF9UL) ||  part of Latin Extended Additional",
        "",
        "Greek and Arabic requires firmware April 2020 or newer",
        "Greek language support range is:",
        "[0374h-0375h 037Ah-037Eh 0384h-038Ah 038Ch 038Eh-03A1h 03A3h-03CEh]",
        "Arabic language support range is:",
        "[060Ch 061Bh 061F 0621h-063Ah 0640h-0655h 0660h-066Fh 0671h-06EDh 06F0h-06FEh]",
    };
    QCOMPARE(explanation.join(QLatin1Char('\n')).size() + 1, 1040);

    // The explanation's own last line feed leaves an empty line before the section lines.
    const QStringList expected = QStringList{"Printing languages"} + explanation +
                                 QStringList{"",
                                             "Setting Font to Small",
                                             "Setting Font to Standard",
                                             "Printing DoubleByte Language",
                                             "Chinese",
                                             "Japanese - Hiragana",
                                             "Japanese - Katakana",
                                             "Latin Language",
                                             "Greek Language",
                                             "Arabic Language"};
    QCOMPARE(bench->consoleLines(), expected);
    QCOMPARE(bench->console()->document()->blockCount(), expected.size());
}

QTEST_MAIN(TestLanguageJob)
#include "tst_jobs_language.moc"
