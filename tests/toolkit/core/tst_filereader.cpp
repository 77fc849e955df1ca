// The file names' kinds and the plain reader under what the program's files may be.
#include "toolkit/core/filepath.h"
#include "toolkit/qt/qtconvert.h"

#include <QTemporaryDir>
#include <QTest>

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
    QTest::addColumn<qint64>("read"); // bytes read to the end, at most 200,000; -1: not opened
    // Larger than one piece of the callers' reads, and not a multiple of it.
    QTest::newRow("file") << "big.bin" << TFileKind::Regular << 150001LL << 150001LL;
    QTest::newRow("empty file") << "empty.bin" << TFileKind::Regular << 0LL << 0LL;
    QTest::newRow("link to a file") << "link.bin" << TFileKind::Regular << 150001LL << 150001LL;
    QTest::newRow("folder") << "folder" << TFileKind::Folder << -1LL << -2LL;
    QTest::newRow("named pipe") << "pipe" << TFileKind::Other << -1LL << -2LL;
    QTest::newRow("endless device") << "/dev/zero" << TFileKind::Other << -1LL << 200000LL;
    QTest::newRow("missing") << "absent.bin" << TFileKind::None << -1LL << -1LL;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << TFileKind::None << -1LL << -1LL;
    QTest::newRow("no name") << "" << TFileKind::None << -1LL << -1LL;
}

void tst_FileReader::kindsAndReads()
{
    QFETCH(QString, name);
    QFETCH(TFileKind, kind);
    QFETCH(qint64, size);
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
    QCOMPARE(File.Open(Name), read >= 0);
    QCOMPARE(File.Size(), size);
    qint64 Total = 0;
    char Piece[64 * 1024];
    for (std::ptrdiff_t Count; Total < 200000 && (Count = File.Read(Piece, sizeof Piece)) > 0;) {
        Total += std::min<qint64>(Count, 200000 - Total);
    }
    QCOMPARE(File.IsOpen() ? Total : -1, read);
}

QTEST_GUILESS_MAIN(tst_FileReader)
#include "tst_filereader.moc"
