// The file names' kinds and the plain reader under what the program's files may be.
#include "toolkit/core/filepath.h"
#include "toolkit/qt/qtconvert.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>

Q_DECLARE_METATYPE(TFileKind)

class tst_FileReader : public QObject {
    Q_OBJECT

private slots:
    void kindsAndReads_data();
    void kindsAndReads();
};

void tst_FileReader::kindsAndReads_data()
{
    QTest::addColumn<QString>("name"); // in the temporary folder, unless absolute
    QTest::addColumn<TFileKind>("kind");
    QTest::addColumn<qint64>("size"); // -1: not a regular file
    QTest::addColumn<qint64>("limit"); // ReadAll's
    // ReadAll's bytes; -1: not opened; -2: never opened by the callers; -3: too large.
    QTest::addColumn<qint64>("read");
    // Larger than one piece of the unknown size's reads, and not a multiple of it.
    QTest::newRow("file") << "big.bin" << TFileKind::Regular << 150001LL << 200000LL << 150001LL;
    QTest::newRow("file at the limit")
        << "big.bin" << TFileKind::Regular << 150001LL << 150001LL << 150001LL;
    QTest::newRow("file over the limit")
        << "big.bin" << TFileKind::Regular << 150001LL << 150000LL << -3LL;
    QTest::newRow("empty file") << "empty.bin" << TFileKind::Regular << 0LL << 10LL << 0LL;
    QTest::newRow("link to a file")
        << "link.bin" << TFileKind::Regular << 150001LL << 200000LL << 150001LL;
    QTest::newRow("folder") << "folder" << TFileKind::Folder << -1LL << 0LL << -2LL;
    QTest::newRow("named pipe") << "pipe" << TFileKind::Other << -1LL << 0LL << -2LL;
    // No known size, no end: refused one byte past the limit.
    QTest::newRow("endless device")
        << "/dev/zero" << TFileKind::Other << -1LL << 200000LL << -3LL;
    QTest::newRow("missing") << "absent.bin" << TFileKind::None << -1LL << 0LL << -1LL;
    QTest::newRow("lone surrogate")
        << QString(QChar(0xD800)) << TFileKind::None << -1LL << 0LL << -1LL;
    QTest::newRow("no name") << "" << TFileKind::None << -1LL << 0LL << -1LL;
}

void tst_FileReader::kindsAndReads()
{
    QFETCH(QString, name);
    QFETCH(TFileKind, kind);
    QFETCH(qint64, size);
    QFETCH(qint64, limit);
    QFETCH(qint64, read);
    QTemporaryDir Dir;
    QFile Big(Dir.filePath("big.bin"));
    QVERIFY(Big.open(QIODevice::WriteOnly) && Big.write(QByteArray(150001, 'x')) == 150001);
    Big.close();
    QFile(Dir.filePath("empty.bin")).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(Dir.filePath("big.bin"), Dir.filePath("link.bin")));
    QVERIFY(QDir(Dir.path()).mkdir("folder"));
    QCOMPARE(::mkfifo(QFile::encodeName(Dir.filePath("pipe")).constData(), 0644), 0);
    const TString Name = name.isEmpty() || name.startsWith('/') || name.front().isSurrogate()
        ? FromQt(name)
        : FromQt(Dir.filePath(name));

    QCOMPARE(FileKindOf(Name), kind);
    if (read == -2) {
        return; // a folder or a pipe is never opened by the callers
    }
    TFileReader File;
    QCOMPARE(File.Open(Name), read != -1);
    QCOMPARE(File.Size(), size);
    if (!File.IsOpen()) {
        QCOMPARE(-1LL, read);
        return;
    }
    std::vector<std::uint8_t> Data { 1, 2, 3 };
    const TFileReader::TReadAll Result = File.ReadAll(Data, std::size_t(limit));
    QCOMPARE(Result == TFileReader::TReadAll::TooLarge ? -3LL : qint64(Data.size()), read);
    QVERIFY(Result != TFileReader::TReadAll::Failed);
    // The file's bytes, or nothing when refused.
    QVERIFY(Result == TFileReader::TReadAll::Done || Data.empty());
    QVERIFY(std::all_of(Data.begin(), Data.end(), [](std::uint8_t B) { return B == 'x'; }));
}

QTEST_GUILESS_MAIN(tst_FileReader)
#include "tst_filereader.moc"
