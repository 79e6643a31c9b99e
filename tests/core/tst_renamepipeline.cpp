// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filemove.h"
#include "core/fileset.h"
#include "core/renamepipeline.h"
#include "core/undolog.h"

#include "../support/testfiles.h"

#include <cerrno>

using namespace Qt::StringLiterals;
using namespace varnolite;
using testfiles::read;
using testfiles::tree;
using testfiles::write;

namespace {

// A batch and its log in a temporary directory; paths are given relative to the directory.
struct Fixture
{
    QTemporaryDir tmp;
    UndoLog log{tmp.filePath(u"data/mp3varnolite.log"_s)};

    Fixture() { QDir().mkpath(tmp.filePath(u"data"_s)); }
    QString path(const QString& relative) const { return tmp.filePath(u"m/"_s + relative); }
    QStringList files() const { return tree(tmp.filePath(u"m"_s)); }
    QStringList logLines() const
    {
        return QString::fromUtf8(read(log.path())).split(u"\r\n"_s, Qt::SkipEmptyParts);
    }
};

RenameOptions noPreview()
{
    RenameOptions o;
    o.showPreview = false;
    return o;
}

} // namespace

class TestRenamePipeline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void illegalCharacters_data();
    void illegalCharacters();
    void dialogTexts();
    void previewPaths();
    void previewKeepsEditsAndDropsUnchecked();
    void previewCancelEmptiesTheBatch();

    void unchangedTargetsLogOnlyTheHeader();
    void caseOnlyRename();
    void folderAndContentAreRenamedContentFirstAndUndoneCompletely();
    void existingTargetIsNeverOverwritten();
    void collectingDirectoryMovesOnlyFolders();
    void collectingDirectoryMovesFilesToo();
    void missingTargetDirectoryIsCreated();
    void lineBreaksInPathsAreRefused();
    void withoutAnUndoLogNothingIsRenamed();
    void progressAndRenamedHooks();

    void caseInsensitiveFileSystem();
    void acrossFileSystems();
    void hardLinkedTargetIsNotOverwritten();
};

void TestRenamePipeline::illegalCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("clean");
    QTest::newRow("colon and question mark") << u"Who: Why?.mp3"_s << u"Who_ Why_.mp3"_s;
    QTest::newRow("double quote") << u"The \"Best\".mp3"_s << u"The 'Best'.mp3"_s;
    QTest::newRow("nothing illegal")
        << u"01 - Song (Live) [x].mp3"_s << u"01 - Song (Live) [x].mp3"_s;
    QTest::newRow("all eight") << u"a*b/c:d<e>f?g\\h|i"_s << u"a_b_c_d_e_f_g_h_i"_s;
    QTest::newRow("control characters") << u"a\tb\nc\u0001d\u001F"_s << u"a_b_c_d_"_s;
    QTest::newRow("NUL") << QString(u"a\0b"_s) << u"a_b"_s;
    QTest::newRow("umlauts and CJK untouched") << u"Größe 東京.mp3"_s << u"Größe 東京.mp3"_s;
}

void TestRenamePipeline::illegalCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, clean);
    QCOMPARE(ReplaceIllegalChars(name), clean);
}

void TestRenamePipeline::dialogTexts()
{
    QCOMPARE(previewCaption(0, 5), u"Vorschau - alles gewählt"_s);
    QCOMPARE(previewCaption(5, 5), u"Vorschau - NICHTS gewählt"_s);
    QCOMPARE(previewCaption(2, 5), u"Vorschau - 2  nicht gewählt"_s);
    QCOMPARE(renameErrorHeading(3), u"3 Fehler beim Umbenennen!"_s);
}

void TestRenamePipeline::previewPaths()
{
    const QString dir = u"/m/album"_s;
    const QString path = u"/m/album/sub/01 a.mp3"_s;
    QCOMPARE(previewColumnText(path, PreviewPaths::Names, dir), u"01 a.mp3"_s);
    QCOMPARE(previewColumnText(path, PreviewPaths::FullPaths, dir), path);
    QCOMPARE(previewColumnText(path, PreviewPaths::RelativePaths, dir + u'/'), u"/sub/01 a.mp3"_s);
    QCOMPARE(previewEditedTarget(path, u"x.mp3"_s, PreviewPaths::Names, dir),
             u"/m/album/sub/x.mp3"_s);
    QCOMPARE(previewEditedTarget(path, u"/other/x.mp3"_s, PreviewPaths::FullPaths, dir),
             u"/other/x.mp3"_s);
    QCOMPARE(previewEditedTarget(path, u"/sub2/x.mp3"_s, PreviewPaths::RelativePaths, dir),
             u"/m/album/sub2/x.mp3"_s);
}

void TestRenamePipeline::previewKeepsEditsAndDropsUnchecked()
{
    RenameBatch batch;
    for (int i = 0; i < 5; ++i)
        batch.append(u"/m/%1"_s.arg(i), u"/m/new%1"_s.arg(i));
    const bool cancelled = PreviewRenameBatch(batch, true, [](QList<PreviewLine>& lines) {
        lines[1].checked = false;
        lines[3].checked = false;
        lines[4].target = u"/m/edited"_s;
        return PreviewDecision::Ok;
    });
    QVERIFY(!cancelled);
    QCOMPARE(batch.barray, (QList<bool>{true, false, true, false, true}));
    QCOMPARE(batch.sources, (QStringList{u"/m/0"_s, u"/m/2"_s, u"/m/4"_s}));
    QCOMPARE(batch.targets, (QStringList{u"/m/new0"_s, u"/m/new2"_s, u"/m/edited"_s}));

    // Without the option (or without a dialog) the batch stays and barray is empty.
    RenameBatch untouched = batch;
    QVERIFY(!PreviewRenameBatch(untouched, false,
                                [](QList<PreviewLine>&) { return PreviewDecision::Cancel; }));
    QCOMPARE(untouched.sources, batch.sources);
    QVERIFY(untouched.barray.isEmpty());
}

void TestRenamePipeline::previewCancelEmptiesTheBatch()
{
    Fixture f;
    write(f.path(u"a.mp3"_s));
    RenameBatch batch;
    batch.append(f.path(u"a.mp3"_s), f.path(u"b.mp3"_s));
    RenameOptions options;
    RenameHooks hooks;
    hooks.preview = [](QList<PreviewLine>&) { return PreviewDecision::Cancel; };
    const RenameReport report = ApplyRenameBatch(batch, options, f.log, hooks);
    QVERIFY(report.cancelled);
    QVERIFY(batch.sources.isEmpty() && batch.targets.isEmpty());
    QCOMPARE(f.files(), QStringList{u"a.mp3"_s});
    QVERIFY(!QFile::exists(f.log.path())); // no header either
}

void TestRenamePipeline::unchangedTargetsLogOnlyTheHeader()
{
    Fixture f;
    write(f.path(u"a.mp3"_s));
    write(f.path(u"b.mp3"_s));
    RenameBatch batch;
    batch.append(f.path(u"a.mp3"_s), f.path(u"a.mp3"_s));
    batch.append(f.path(u"b.mp3"_s), f.path(u"b.mp3"_s));
    const RenameReport report = ApplyRenameBatch(batch, noPreview(), f.log);
    QVERIFY(report.errors.isEmpty());
    QCOMPARE(report.renamed, 0);
    const QStringList lines = f.logLines();
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].startsWith(u'[') && lines[0].endsWith(f.path(QString()) + u']'));
    QVERIFY(f.log.undoEnabled());
    QCOMPARE(f.log.headers(), lines);
}

void TestRenamePipeline::caseOnlyRename()
{
    Fixture f;
    write(f.path(u"song.mp3"_s), "x");
    RenameBatch batch;
    batch.append(f.path(u"song.mp3"_s), f.path(u"Song.MP3"_s));
    const RenameReport report = ApplyRenameBatch(batch, noPreview(), f.log);
    QVERIFY(report.errors.isEmpty());
    QCOMPARE(f.files(), QStringList{u"Song.MP3"_s});
}

void TestRenamePipeline::folderAndContentAreRenamedContentFirstAndUndoneCompletely()
{
    Fixture f;
    write(f.path(u"album/01 a.mp3"_s), "1");
    write(f.path(u"album/sub/02 b.mp3"_s), "2");
    FileSet set{f.path(u"album"_s)};
    ExpandRecursive(set, FileMask(u"*.mp3"_s));
    QCOMPARE(set.size(), 4);

    RenameBatch batch; // every name in upper case, the folder too
    for (const QString& source : set) {
        const qsizetype slash = source.lastIndexOf(u'/');
        batch.append(source, source.left(slash + 1) + source.mid(slash + 1).toUpper());
    }
    const RenameReport report = ApplyRenameBatch(batch, noPreview(), f.log);
    QVERIFY2(report.errors.isEmpty(), qPrintable(report.errors.value(0).message));
    QCOMPARE(report.renamed, 4);
    QCOMPARE(f.files(), (QStringList{u"ALBUM"_s, u"ALBUM/01 A.MP3"_s, u"ALBUM/SUB"_s,
                                     u"ALBUM/SUB/02 B.MP3"_s}));
    // Logged in the order of the renames: the content before its folder.
    const QStringList lines = f.logLines();
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines[1], f.path(u"album/01 a.mp3"_s));
    QCOMPARE(lines[8], f.path(u"ALBUM"_s));

    const UndoReport undo = f.log.undoLast();
    QVERIFY(undo.failures.isEmpty());
    QCOMPARE(undo.restored, 4);
    QCOMPARE(f.files(), (QStringList{u"album"_s, u"album/01 a.mp3"_s, u"album/sub"_s,
                                     u"album/sub/02 b.mp3"_s}));
    QVERIFY(!QFile::exists(f.log.path()));
}

void TestRenamePipeline::existingTargetIsNeverOverwritten()
{
    Fixture f;
    write(f.path(u"1.mp3"_s), "one");
    write(f.path(u"2.mp3"_s), "two");
    write(f.path(u"3.mp3"_s), "three");
    write(f.path(u"taken.mp3"_s), "precious");
    write(f.path(u"x/taken.mp3"_s), "also precious");
    RenameBatch batch;
    batch.append(f.path(u"1.mp3"_s), f.path(u"taken.mp3"_s));
    batch.append(f.path(u"2.mp3"_s), f.path(u"two.mp3"_s));
    batch.append(f.path(u"3.mp3"_s), f.path(u"x/taken.mp3"_s));
    const RenameReport report = ApplyRenameBatch(batch, noPreview(), f.log);
    QCOMPARE(report.renamed, 1);
    // The error list is in batch order, with the system's message.
    QCOMPARE(report.errors.size(), 2);
    QCOMPARE(report.errors[0].path, f.path(u"1.mp3"_s));
    QCOMPARE(report.errors[0].message, systemMessage(EEXIST));
    QCOMPARE(report.errors[1].path, f.path(u"3.mp3"_s));
    QCOMPARE(read(f.path(u"taken.mp3"_s)), QByteArray("precious"));
    QCOMPARE(read(f.path(u"x/taken.mp3"_s)), QByteArray("also precious"));
    QCOMPARE(read(f.path(u"1.mp3"_s)), QByteArray("one"));
    QCOMPARE(read(f.path(u"two.mp3"_s)), QByteArray("two"));
    QCOMPARE(f.logLines().size(), 3); // the header and the one rename that was made
}

void TestRenamePipeline::collectingDirectoryMovesOnlyFolders()
{
    Fixture f;
    write(f.path(u"folder/a.mp3"_s));
    write(f.path(u"b.mp3"_s));
    RenameOptions options = noPreview();
    options.moveAfterRename = true;
    options.collectingDirectory = f.path(u"done"_s);
    options.onlyCompleteDirectories = true;
    RenameBatch batch;
    batch.append(f.path(u"folder"_s), f.path(u"Folder/"_s));
    batch.append(f.path(u"b.mp3"_s), f.path(u"B.mp3"_s));
    const RenameReport report = ApplyRenameBatch(batch, options, f.log);
    QVERIFY(report.errors.isEmpty());
    QCOMPARE(f.files(),
             (QStringList{u"B.mp3"_s, u"done"_s, u"done/Folder"_s, u"done/Folder/a.mp3"_s}));
}

void TestRenamePipeline::collectingDirectoryMovesFilesToo()
{
    Fixture f;
    write(f.path(u"b.mp3"_s));
    write(f.path(u"done/c.mp3"_s));
    RenameOptions options = noPreview();
    options.moveAfterRename = true;
    options.collectingDirectory = f.path(u"done/"_s);
    options.onlyCompleteDirectories = false;
    RenameBatch batch;
    batch.append(f.path(u"b.mp3"_s), f.path(u"B.mp3"_s));
    batch.append(f.path(u"done/c.mp3"_s), f.path(u"done/c.mp3"_s)); // already there: unchanged
    QVERIFY(ApplyRenameBatch(batch, options, f.log).errors.isEmpty());
    QCOMPARE(f.files(), (QStringList{u"done"_s, u"done/B.mp3"_s, u"done/c.mp3"_s}));
    QCOMPARE(collectingTarget(f.path(u"gone.mp3"_s), f.path(u"x.mp3"_s), options),
             f.path(u"x.mp3"_s)); // neither file nor folder: stays
}

void TestRenamePipeline::missingTargetDirectoryIsCreated()
{
    Fixture f;
    write(f.path(u"a.mp3"_s));
    RenameBatch batch;
    batch.append(f.path(u"a.mp3"_s), f.path(u"Artist/Album (1999)/01 a.mp3"_s));
    QVERIFY(ApplyRenameBatch(batch, noPreview(), f.log).errors.isEmpty());
    QVERIFY(QFile::exists(f.path(u"Artist/Album (1999)/01 a.mp3"_s)));

    // A source that does not exist creates nothing.
    RenameBatch missing;
    missing.append(f.path(u"nope.mp3"_s), f.path(u"New/nope.mp3"_s));
    const RenameReport report = ApplyRenameBatch(missing, noPreview(), f.log);
    QCOMPARE(report.errors.value(0).message, systemMessage(ENOENT));
    QVERIFY(!QFileInfo::exists(f.path(u"New"_s)));
}

void TestRenamePipeline::lineBreaksInPathsAreRefused()
{
    Fixture f;
    write(f.path(u"a.mp3"_s));
    RenameBatch batch;
    batch.append(f.path(u"a.mp3"_s), f.path(u"a\n[01.01.0100:00:00/]"_s));
    const RenameReport report = ApplyRenameBatch(batch, noPreview(), f.log);
    QCOMPARE(report.errors.value(0).message, systemMessage(EINVAL));
    QCOMPARE(f.files(), QStringList{u"a.mp3"_s});
    QCOMPARE(f.logLines().size(), 1);
}

void TestRenamePipeline::withoutAnUndoLogNothingIsRenamed()
{
    Fixture f;
    write(f.path(u"a.mp3"_s));
    write(f.tmp.filePath(u"plainfile"_s));
    UndoLog impossible(f.tmp.filePath(u"plainfile/mp3varnolite.log"_s));
    RenameBatch batch;
    batch.append(f.path(u"a.mp3"_s), f.path(u"b.mp3"_s));
    const RenameReport report = ApplyRenameBatch(batch, noPreview(), impossible);
    QVERIFY(!report.logStatus.ok());
    QCOMPARE(f.files(), QStringList{u"a.mp3"_s});
}

void TestRenamePipeline::progressAndRenamedHooks()
{
    Fixture f;
    write(f.path(u"a.mp3"_s));
    write(f.path(u"b.mp3"_s));
    write(f.path(u"c.mp3"_s));
    RenameBatch batch;
    batch.append(f.path(u"a.mp3"_s), f.path(u"A.mp3"_s));
    batch.append(f.path(u"b.mp3"_s), f.path(u"b.mp3"_s));
    batch.append(f.path(u"c.mp3"_s), f.path(u"C.mp3"_s));
    QList<qsizetype> steps;
    QStringList renamed;
    RenameHooks hooks;
    hooks.progress = [&](qsizetype done, qsizetype total) {
        QCOMPARE(total, 3);
        steps.append(done);
    };
    hooks.renamed = [&](const QString& s, const QString& t) {
        renamed.append(QFileInfo(s).fileName() + u'>' + QFileInfo(t).fileName());
    };
    ApplyRenameBatch(batch, noPreview(), f.log, hooks);
    QCOMPARE(steps, (QList<qsizetype>{1, 2, 3}));
    QCOMPARE(renamed, (QStringList{u"c.mp3>C.mp3"_s, u"a.mp3>A.mp3"_s})); // last entry first
}

void TestRenamePipeline::caseInsensitiveFileSystem()
{
    testfiles::FatMount fat;
    QVERIFY2(fat.ok(), "mounting a FAT image with fusefat failed");
    QVERIFY(write(fat.path(u"song.mp3"_s), "x"));
    QVERIFY(write(fat.path(u"other.mp3"_s), "y"));
    QVERIFY(QFileInfo::exists(fat.path(u"SONG.MP3"_s))); // look-ups ignore case here

    QCOMPARE(moveWithoutOverwrite(fat.path(u"song.mp3"_s), fat.path(u"Song.mp3"_s)), 0);
    QCOMPARE(QDir(fat.path()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase),
             (QStringList{u"other.mp3"_s, u"Song.mp3"_s}));
    // Another file that only differs in case is still never overwritten.
    QCOMPARE(moveWithoutOverwrite(fat.path(u"Song.mp3"_s), fat.path(u"OTHER.mp3"_s)), EEXIST);
    QCOMPARE(read(fat.path(u"other.mp3"_s)), QByteArray("y"));
    QCOMPARE(read(fat.path(u"Song.mp3"_s)), QByteArray("x"));
}

void TestRenamePipeline::acrossFileSystems()
{
    testfiles::FatMount fat;
    QVERIFY2(fat.ok(), "mounting a FAT image with fusefat failed");
    Fixture f;
    write(f.path(u"a.mp3"_s), "audio bytes");
    write(f.path(u"taken.mp3"_s), "mine");
    write(f.path(u"folder/c.mp3"_s));
    write(fat.path(u"taken.mp3"_s), "theirs");

    RenameOptions options = noPreview();
    options.moveAfterRename = true;
    options.collectingDirectory = fat.path();
    options.onlyCompleteDirectories = false;
    RenameBatch batch;
    batch.append(f.path(u"a.mp3"_s), f.path(u"A.mp3"_s));
    batch.append(f.path(u"taken.mp3"_s), f.path(u"x/taken.mp3"_s));
    batch.append(f.path(u"folder"_s), f.path(u"Folder"_s));
    const RenameReport report = ApplyRenameBatch(batch, options, f.log);
    QCOMPARE(report.renamed, 1);
    QCOMPARE(read(fat.path(u"A.mp3"_s)), QByteArray("audio bytes"));
    QVERIFY(!QFile::exists(f.path(u"a.mp3"_s)));
    // A target that exists there is not overwritten, the source stays.
    QCOMPARE(report.errors.size(), 2);
    QCOMPARE(report.errors[0].path, f.path(u"taken.mp3"_s));
    QCOMPARE(report.errors[0].message, systemMessage(EEXIST));
    QCOMPARE(read(fat.path(u"taken.mp3"_s)), QByteArray("theirs"));
    QCOMPARE(read(f.path(u"taken.mp3"_s)), QByteArray("mine"));
    // A folder does not move across file systems.
    QCOMPARE(report.errors[1].path, f.path(u"folder"_s));
    QCOMPARE(report.errors[1].message, systemMessage(EXDEV));
    QVERIFY(QFile::exists(f.path(u"folder/c.mp3"_s)));

    // Undo brings the file back across.
    QVERIFY(f.log.undoLast().failures.isEmpty());
    QCOMPARE(read(f.path(u"a.mp3"_s)), QByteArray("audio bytes"));
    QVERIFY(!QFile::exists(fat.path(u"A.mp3"_s)));
}

void TestRenamePipeline::hardLinkedTargetIsNotOverwritten()
{
    // Two names of one file on a case-sensitive file system look like a case-only rename;
    // the detour through a temporary name must give the original name back.
    QTemporaryDir tmp;
    write(tmp.filePath(u"a.mp3"_s), "x");
    QVERIFY(::link(QFile::encodeName(tmp.filePath(u"a.mp3"_s)).constData(),
                   QFile::encodeName(tmp.filePath(u"A.mp3"_s)).constData()) == 0);
    QCOMPARE(moveWithoutOverwrite(tmp.filePath(u"a.mp3"_s), tmp.filePath(u"A.mp3"_s)), EEXIST);
    QCOMPARE(tree(tmp.path()), (QStringList{u"A.mp3"_s, u"a.mp3"_s}));
}

QTEST_GUILESS_MAIN(TestRenamePipeline)
#include "tst_renamepipeline.moc"
