#include "platform/Cp932.h"
#include "support/TestCore.h"

#include <QSet>

using namespace pagelore;
using namespace pagelore::test;

class TestCp932 : public QObject {
    Q_OBJECT

private slots:
    // Every byte and every lead byte before every byte, after "a亜": what the
    // reference has decodes to its character, alone and all in one text (the
    // runs handed to the converter are tested too); the rest is refused at its
    // first byte, counted from the start of the text.
    void decodesTheReferenceAndRefusesTheRest()
    {
        QHash<QByteArray, QString> known;
        QSet<char> leads;
        for (auto it = cp932Reference().cbegin(); it != cp932Reference().cend(); ++it) {
            for (const QByteArray &bytes : *it) {
                known.insert(bytes, QString::fromUcs4(&it.key(), 1));
                if (bytes.size() == 2)
                    leads.insert(bytes[0]);
            }
        }
        QByteArray allBytes;
        QString allText;
        int wrong = 0;
        for (int first = 0; first <= 0xFF; ++first) {
            for (int second = -1; second < (leads.contains(char(first)) ? 0x100 : 0); ++second) {
                const QByteArray bytes =
                    QByteArray(1, char(first)) + (second < 0 ? "" : QByteArray(1, char(second)));
                const QString expected = known.value(bytes);
                const Cp932::DecodeResult r = Cp932::decode(bytes);
                if ((expected.isEmpty() ? r.ok || r.errorOffset != 0 : !r.ok || r.text != expected)
                    && ++wrong < 10)
                    qWarning("%s decoded wrongly", bytes.toHex().constData());
                allBytes += expected.isEmpty() ? QByteArray() : bytes;
                allText += expected;
            }
        }
        QCOMPARE(wrong, 0);
        QCOMPARE(Cp932::decode(allBytes).text, allText);
    }

    // A character with several sequences is written with the writer's choice
    // (ICU's, which prefers the IBM rows 0xFA-0xFC to the NEC-selected 0xED/0xEE).
    void encodesEveryCharacter()
    {
        QString allText;
        QByteArray allBytes;
        int wrong = 0;
        for (auto it = cp932Reference().cbegin(); it != cp932Reference().cend(); ++it) {
            const QString text = QString::fromUcs4(&it.key(), 1);
            const Cp932::EncodeResult r = Cp932::encode(text);
            if ((!r.ok || r.bytes != it->first()) && ++wrong < 10)
                qWarning("U+%04X encoded as %s", unsigned(it.key()), r.bytes.toHex().constData());
            allText += text;
            allBytes += it->first();
        }
        QCOMPARE(wrong, 0);
        QCOMPARE(Cp932::encode(allText).bytes, allBytes);
        // Spelled out, in case the reference's order and the rule drift together.
        QCOMPARE(Cp932::encode(u"纊ⅰ∵Ⅰ￢ﾊﾟ"_qs).bytes,
                 QByteArray("\xFA\x5C\xFA\x40\x81\xE6\x87\x54\x81\xCA\xCA\xDF"));
    }

    void unrepresentableCharactersAreNamed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("described");
        QTest::newRow("emoji after kanji") << u"記事😀"_qs << 2 << u"「😀」(U+1F600)"_qs;
        QTest::newRow("e acute") << u"café"_qs << 3 << u"「é」(U+00E9)"_qs;
        QTest::newRow("hangul") << u"아"_qs << 0 << u"「아」(U+C544)"_qs;
        QTest::newRow("yen sign") << u"\u00A5100"_qs << 0 << u"「¥」(U+00A5)"_qs;
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << 0 << u"(U+D800)"_qs;
    }
    void unrepresentableCharactersAreNamed()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        QFETCH(QString, described);
        const Cp932::EncodeResult r = Cp932::encode(text);
        QVERIFY(!r.ok && r.bytes.isEmpty());
        QCOMPARE(r.errorIndex, qsizetype(index));
        QCOMPARE(Cp932::describeCharacter(r.badCharacter), described);
    }
};

PAGELORE_CORE_TEST_MAIN(TestCp932)
#include "tst_cp932.moc"
