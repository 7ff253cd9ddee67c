// The SHA-256 of the run reports: published test vectors, and agreement with
// Qt's implementation for every length around the block boundaries and for
// data fed in pieces of any size, on both implementations (the processor's
// SHA extensions where the machine has them, and the portable one).

#include "zrsha256.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

class TestSha256 : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void publishedVectors_data();
    void publishedVectors();
    void agreesWithQtForEveryLength_data();
    void agreesWithQtForEveryLength();
    void piecesOfAnySize_data();
    void piecesOfAnySize();
    void files();
};

namespace
{
QByteArray hexOf(ZRSha256& hash)
{
    return hash.result().toHex();
}

void implementations()
{
    QTest::addColumn<bool>("extensions");
    QTest::newRow("portable") << false;
    if (ZRSha256::usesProcessorExtensions())
        QTest::newRow("processor extensions") << true;
}
} // namespace

void TestSha256::cleanup()
{
    ZRSha256::allowProcessorExtensions(true);
}

void TestSha256::publishedVectors_data()
{
    implementations();
}

void TestSha256::publishedVectors()
{
    QFETCH(bool, extensions);
    ZRSha256::allowProcessorExtensions(extensions);
    QCOMPARE(ZRSha256::usesProcessorExtensions(), extensions);
    ZRSha256 hash;
    QCOMPARE(hexOf(hash), QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    hash.addData("abc", 3);
    QCOMPARE(hexOf(hash), QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    const QByteArray twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    hash.addData(twoBlocks.constData(), size_t(twoBlocks.size()));
    QCOMPARE(hexOf(hash), QByteArray("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"));
    const QByteArray million(1000000, 'a');
    hash.addData(million.constData(), size_t(million.size()));
    QCOMPARE(hexOf(hash), QByteArray("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"));
}

void TestSha256::agreesWithQtForEveryLength_data()
{
    implementations();
}

void TestSha256::agreesWithQtForEveryLength()
{
    QFETCH(bool, extensions);
    ZRSha256::allowProcessorExtensions(extensions);
    QRandomGenerator random(20261206);
    for (int length = 0; length <= 300; ++length) {
        QByteArray data(length, Qt::Uninitialized);
        for (char& byte : data)
            byte = char(random.bounded(256));
        ZRSha256 hash;
        hash.addData(data.constData(), size_t(data.size()));
        QCOMPARE(hash.result(), QCryptographicHash::hash(data, QCryptographicHash::Sha256));
    }
}

void TestSha256::piecesOfAnySize_data()
{
    implementations();
}

void TestSha256::piecesOfAnySize()
{
    QFETCH(bool, extensions);
    ZRSha256::allowProcessorExtensions(extensions);
    QRandomGenerator random(7);
    QByteArray data((1 << 20) + 17, Qt::Uninitialized);
    for (char& byte : data)
        byte = char(random.bounded(256));
    const QByteArray expected = QCryptographicHash::hash(data, QCryptographicHash::Sha256);
    for (int trial = 0; trial < 8; ++trial) {
        ZRSha256 hash;
        int offset = 0;
        while (offset < data.size()) {
            const int piece = std::min(int(random.bounded(trial % 2 ? 200 : 70000)), data.size() - offset);
            hash.addData(data.constData() + offset, size_t(piece));
            offset += piece;
        }
        QCOMPARE(hash.result(), expected);
    }
}

void TestSha256::files()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QRandomGenerator random(11);
    QByteArray data(9 * (1 << 20) + 5, Qt::Uninitialized);
    for (char& byte : data)
        byte = char(random.bounded(256));
    QFile file(folder.filePath("data"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    QCOMPARE(ZRSha256::ofFile(file.fileName()),
             QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex()));
    QVERIFY(ZRSha256::ofFile(folder.filePath("missing")).isEmpty());
}

QTEST_GUILESS_MAIN(TestSha256)
#include "tst_sha256.moc"
