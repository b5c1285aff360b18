#pragma once

#include "wire.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What each job should queue, written out with the encoder of wire.h and never with the
// program's own tables or command set. The pseudo-terminal tests expect these streams from the
// window's buttons, tst_jobstreams from the core's functions.
namespace Expect {

// The General page's printing jobs.
QByteArray quickTest();
QByteArray attributes();
QByteArray density();
QByteArray formatting();
QByteArray alignment();
QByteArray qrBitmap();

// "Receipt" (General page) and the two receipts with a cut (Cutter page).
QByteArray plainReceipt();
QByteArray fullCutReceipt();
QByteArray partialCutReceipt();

// "Apply" as the form starts: 115200 bit/s and XON/XOFF.
inline const QByteArray uartAtStart = hex("1d280401");

// The bar code samples, with each stream's length without and with the left margin.
struct BarcodeSample
{
    const char *button;
    const char *console;
    const char *caption;
    int width;
    int system;
    const char *data;
    int plainTotal;
    int marginTotal;
};
extern const BarcodeSample barcodeSamples[9];
const BarcodeSample *barcodeSampleFor(const char *button);
QByteArray barcodeStream(const BarcodeSample &sample, bool margin);

// The print head buttons; each sends head(type).
struct HeadSample
{
    const char *button;
    int type;
    const char *name;
    const QString &flash;
};
extern const HeadSample heads[8];

// The language tour, section by section, with each section's length.
struct LanguageSection
{
    const char *name;
    QByteArray bytes;
    int size;
};
// The Latin sample that the tour prints four times.
extern const QByteArray latin;
QList<LanguageSection> languageSections();
QByteArray languageTour();

} // namespace Expect
