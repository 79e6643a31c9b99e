// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/fileattributes.h"
#include "core/filemask.h"
#include "core/fileset.h"
#include "core/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "../support/testfiles.h"

using namespace Qt::StringLiterals;
using namespace varnolite;

namespace {

void touch(const QString& path)
{
    QVERIFY2(testfiles::write(path), qPrintable(path));
}

// Builds a tree from relative paths; a path ending in '/' is a directory.
void makeTree(const QString& root, const QStringList& entries)
{
    for (const QString& e : entries) {
        if (e.endsWith(u'/'))
            QVERIFY(QDir(root).mkpath(e));
        else
            touch(root + u'/' + e);
    }
}

QStringList relative(const QString& root, const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out.append(p.startsWith(root + u'/') ? p.mid(root.size() + 1) : p);
    return out;
}

} // namespace

class TestFileSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void maskPart_data();
    void maskPart();
    void maskMatching_data();
    void maskMatching();

    void collectOrdersDirectoriesFirstThenSortedFiles();
    void expandInsertsContentAfterEachDirectory();
    void symlinkLoopTerminates();
    void topLevelSymlinkIsExpanded();
    void unreadableDirectoryIsReported();

    void attributes();
    void trailingSeparator_data();
    void trailingSeparator();
    void programDirIsTheWritableExecutableDirectory();
};

void TestFileSet::maskPart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");
    QTest::newRow("entry") << u"*.mp3 (Mp3's)"_s << u"*.mp3"_s;
    QTest::newRow("all") << u"*.* (Alles)"_s << u"*.*"_s;
    QTest::newRow("no blank") << u"*.ogg"_s << u"*.ogg"_s;
    QTest::newRow("leading blank: whole text") << u" *.mp3 (x)"_s << u" *.mp3 (x)"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestFileSet::maskPart()
{
    QFETCH(QString, text);
    QFETCH(QString, mask);
    QCOMPARE(maskPartOf(text), mask);
}

void TestFileSet::maskMatching_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("extension") << u"*.mp3"_s << u"song.mp3"_s << true;
    QTest::newRow("letter case ignored") << u"*.mp3"_s << u"SONG.MP3"_s << true;
    QTest::newRow("other extension") << u"*.mp3"_s << u"song.wav"_s << false;
    QTest::newRow("extension must end the name") << u"*.mp3"_s << u"song.mp3.part"_s << false;
    QTest::newRow("dot file") << u"*.mp3"_s << u".mp3"_s << true;
    QTest::newRow("all with dot") << u"*.*"_s << u"README"_s << true;
    QTest::newRow("x.* without extension") << u"a*.*"_s << u"abc"_s << true;
    QTest::newRow("question mark") << u"0?-*.mp3"_s << u"01-x.mp3"_s << true;
    QTest::newRow("question mark needs a character") << u"0?.mp3"_s << u"0.mp3"_s << false;
    QTest::newRow("several stars") << u"*a*b*"_s << u"xxaxxbxx"_s << true;
    QTest::newRow("backtracking") << u"*ab"_s << u"aab"_s << true;
    QTest::newRow("umlaut case") << u"Ä*"_s << u"äpfel.mp3"_s << true;
    QTest::newRow("list of masks") << u"*.mp3;*.wav"_s << u"a.WAV"_s << true;
    QTest::newRow("list with blanks") << u"*.mp3 ; *.wav"_s << u"a.wav"_s << true;
    QTest::newRow("empty matches all") << QString() << u"x"_s << true;
    QTest::newRow("literal name") << u"song.mp3"_s << u"Song.Mp3"_s << true;
}

void TestFileSet::maskMatching()
{
    QFETCH(QString, mask);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(FileMask(mask).matches(name), matches);
}

void TestFileSet::collectOrdersDirectoriesFirstThenSortedFiles()
{
    QTemporaryDir tmp;
    const QString root = tmp.path();
    makeTree(root, {u"sub/"_s, u"b.mp3"_s, u"A.mp3"_s, u"sub/c.mp3"_s, u"sub/deeper/"_s,
                    u"sub/deeper/d.MP3"_s, u".hidden.mp3"_s, u"notes.txt"_s, u"x.mp3.dir/"_s});
    const DirectoryListing listing = CollectDirectory(root, FileMask(u"*.mp3"_s));
    QVERIFY(listing.errors.isEmpty());
    // Directories come in the file system's order; take it from the listing itself.
    const QStringList got = relative(root, listing.paths);
    const qsizetype sub = got.indexOf(u"sub"_s);
    const qsizetype dir = got.indexOf(u"x.mp3.dir"_s);
    QVERIFY(sub >= 0 && dir >= 0);
    QCOMPARE(got.mid(sub, 4),
             (QStringList{u"sub"_s, u"sub/deeper"_s, u"sub/deeper/d.MP3"_s, u"sub/c.mp3"_s}));
    QCOMPARE(got.mid(5), (QStringList{u".hidden.mp3"_s, u"A.mp3"_s, u"b.mp3"_s}));
    QCOMPARE(got.size(), 8);

    // The documented example: the folder, sub, sub/c.mp3, A.mp3, b.mp3.
    QTemporaryDir tmp2;
    makeTree(tmp2.path(), {u"b.mp3"_s, u"A.mp3"_s, u"sub/"_s, u"sub/c.mp3"_s});
    FileSet set{tmp2.path()};
    QVERIFY(ExpandRecursive(set, FileMask(u"*.mp3"_s)).isEmpty());
    QCOMPARE(relative(tmp2.path(), set),
             (QStringList{tmp2.path(), u"sub"_s, u"sub/c.mp3"_s, u"A.mp3"_s, u"b.mp3"_s}));
}

void TestFileSet::expandInsertsContentAfterEachDirectory()
{
    QTemporaryDir tmp;
    const QString root = tmp.path();
    makeTree(root, {u"one/"_s, u"one/1.mp3"_s, u"two/"_s, u"two/2.mp3"_s, u"two/2.wav"_s,
                    u"loose.mp3"_s});
    FileSet set{root + u"/two"_s, root + u"/loose.mp3"_s, root + u"/one/"_s};
    QVERIFY(ExpandRecursive(set, FileMask(u"*.*"_s)).isEmpty());
    QCOMPARE(relative(root, set), (QStringList{u"two"_s, u"two/2.mp3"_s, u"two/2.wav"_s,
                                               u"loose.mp3"_s, u"one/"_s, u"one/1.mp3"_s}));
}

void TestFileSet::symlinkLoopTerminates()
{
    QTemporaryDir tmp;
    const QString root = tmp.path();
    makeTree(root, {u"a/"_s, u"a/song.mp3"_s});
    QVERIFY(QFile::link(u".."_s, root + u"/a/up"_s));     // a/up -> root
    QVERIFY(QFile::link(u"self"_s, root + u"/a/self"_s)); // dangling loop
    QVERIFY(QFile::link(u"song.mp3"_s, root + u"/a/alias.mp3"_s));
    FileSet set{root};
    QVERIFY(ExpandRecursive(set, FileMask(u"*.mp3"_s)).isEmpty());
    QCOMPARE(relative(root, set),
             (QStringList{root, u"a"_s, u"a/up"_s, u"a/alias.mp3"_s, u"a/song.mp3"_s}));
}

void TestFileSet::topLevelSymlinkIsExpanded()
{
    QTemporaryDir tmp;
    const QString root = tmp.path();
    makeTree(root, {u"real/"_s, u"real/x.mp3"_s});
    QVERIFY(QFile::link(root + u"/real"_s, root + u"/link"_s));
    FileSet set{root + u"/link"_s};
    ExpandRecursive(set, FileMask(u"*.mp3"_s));
    QCOMPARE(relative(root, set), (QStringList{u"link"_s, u"link/x.mp3"_s}));
}

void TestFileSet::unreadableDirectoryIsReported()
{
    QTemporaryDir tmp;
    touch(tmp.filePath(u"plain"_s));
    const DirectoryListing listing = CollectDirectory(tmp.filePath(u"plain"_s), FileMask());
    QVERIFY(listing.paths.isEmpty());
    QCOMPARE(listing.errors.size(), 1);
    QCOMPARE(listing.errors.front().path, tmp.filePath(u"plain/"_s));
    QVERIFY(!listing.errors.front().message.isEmpty());
}

void TestFileSet::attributes()
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath(u"f.mp3"_s);
    touch(file);
    QVERIFY(QFile::link(tmp.path(), tmp.filePath(u"dirlink"_s)));

    QVERIFY(HasFileAttributes(tmp.path(), FileAttribute::Directory));
    QVERIFY(HasFileAttributes(tmp.filePath(u"dirlink"_s), FileAttribute::Directory));
    QVERIFY(!HasFileAttributes(file, FileAttribute::Directory));
    QVERIFY(!HasFileAttributes(file, FileAttribute::ReadOnly));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::WriteGroup));
    QVERIFY(HasFileAttributes(file, FileAttribute::ReadOnly));
    QVERIFY(!HasFileAttributes(file, FileAttribute::ReadOnly | FileAttribute::Directory));

    // A failed query counts as no attributes.
    QVERIFY(!HasFileAttributes(tmp.filePath(u"missing"_s), FileAttribute::ReadOnly));
    QVERIFY(HasFileAttributes(tmp.filePath(u"missing"_s), {}));
    QCOMPARE(fileAttributes(QString()), FileAttributes());
}

void TestFileSet::trailingSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("result");
    QTest::newRow("plain") << u"/music"_s << u"/music/"_s;
    QTest::newRow("already") << u"/music/"_s << u"/music/"_s;
    QTest::newRow("empty") << QString() << u"/"_s;
    QTest::newRow("root") << u"/"_s << u"/"_s;
}

void TestFileSet::trailingSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, result);
    QCOMPARE(addTrailingSeparator(path), result);
}

void TestFileSet::programDirIsTheWritableExecutableDirectory()
{
    QCOMPARE(ProgramDir(), QCoreApplication::applicationDirPath() + u'/');
    QCOMPARE(executableDir(), ProgramDir());
}

QTEST_GUILESS_MAIN(TestFileSet)
#include "tst_fileset.moc"
