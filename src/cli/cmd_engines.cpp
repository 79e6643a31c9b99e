// SPDX-License-Identifier: GPL-3.0-or-later
// The name engines on the command line: "actions", "expr", "regex", and "names", which shows
// what an engine makes of bare names.
#include "cli/cli.h"
#include "cli/paths.h"
#include "cli/renameflow.h"
#include "cli/settingsvalues.h"

#include "core/fileattributes.h"
#include "core/paths.h"
#include "core/settingskeys.h"
#include "engines/actionlanguage.h"
#include "engines/regexlist.h"
#include "engines/renameactions.h"

using namespace Qt::StringLiterals;

namespace varnolite::cli {

namespace {

// The blank replacement of "Zwischenräume als" and the standard separator, from the settings
// unless --blank and --separator are given.
ActionContext engineContext(const Context& context, const ArgParser& args)
{
    ActionContext c;
    c.blankReplacement = blankReplacement(context, args);
    c.separator = args.isSet(u"separator")
                      ? args.value(u"separator")
                      : optionsValues(context).textValue(u"trenner_Text", u"-"_s);
    return c;
}

const QList<OptionSpec>& commonEngineOptions()
{
    static const QList<OptionSpec> options = {
        blankOption(),
        {{u"separator"_s},
         u"TEXT"_s,
         u"standard separator (default: \"Standard Trenner\", \"-\")"_s},
    };
    return options;
}

QList<OptionSpec> actionOptionSpecs()
{
    QList<OptionSpec> o = {
        {{u"group-name"_s}, {}, u"1: remove a group name glued to the title (\"Song-NBD.mp3\")"_s},
        {{u"replace-underscores"_s}, {}, u"2: replace underscores ..."_s},
        {{u"replace-dots"_s}, {}, u"2: ... or dots (the extension's dot stays) ..."_s},
        {{u"with"_s}, u"TEXT"_s, u"2: ... by TEXT (default a blank; \"\" deletes)"_s},
        {{u"cut-to-number"_s}, {}, u"3: cut everything before the first two-digit number"_s},
        {{u"unbracket"_s},
         u"numbers|any"_s,
         u"4: remove brackets around two-digit numbers, or the first pair"_s},
        {{u"where"_s}, u"front|anywhere"_s, u"4: at the front of the name (default) or anywhere"_s},
        {{u"collapse-spaces"_s}, {}, u"5: make every run of blanks one blank"_s},
        {{u"pad-number"_s}, {}, u"6: make a leading one-digit number two digits"_s},
        {{u"space-before-capitals"_s},
         u"TEXT"_s,
         u"7: insert TEXT (default a blank) before capitals"_s,
         true},
        {{u"replace-first"_s}, u"X Y"_s, u"8: replace the first X by Y"_s},
        {{u"replace-every"_s}, u"X Y"_s, u"8: replace every X by Y"_s},
        {{u"delete-at"_s}, u"POS COUNT"_s, u"9: delete COUNT characters at POS (from 1)"_s},
        {{u"insert-at"_s}, u"POS COUNT"_s, u"9: insert COUNT blank replacements at POS"_s},
        {{u"swap-artist-title"_s}, {}, u"10: \"artist - title\" becomes \"title - artist\""_s},
        {{u"add"_s}, u"N"_s, u"11: add N to the leading number"_s},
        {{u"case"_s}, u"Aaa|Aa|AA|aa"_s, u"12: sentence case, word case, upper, lower"_s},
        {{u"space-parts"_s},
         u"TEXT"_s,
         u"13: put TEXT (default a blank) around the separator"_s,
         true},
    };
    o += commonEngineOptions();
    return o;
}

// The actions of the options; an error message when a value is not usable.
std::optional<RenameActionOptions> actionOptions(Context& context, const ArgParser& args,
                                                 const QString& command)
{
    const ActionContext c = engineContext(context, args);
    RenameActionOptions o;
    o.blankReplacement = c.blankReplacement;
    o.separator = c.separator;
    const auto bad = [&](const QString& message) {
        context.io.err() << "varnolite-cli " << command << ": " << message << Qt::endl;
        return std::nullopt;
    };
    o.removeGroupName = args.isSet(u"group-name");
    if (args.isSet(u"replace-underscores") && args.isSet(u"replace-dots"))
        return bad(u"--replace-underscores and --replace-dots exclude each other"_s);
    if (args.isSet(u"replace-underscores") || args.isSet(u"replace-dots")) {
        o.replaceChars = true;
        o.replaceWhat = args.isSet(u"replace-dots") ? u"."_s : u"_"_s;
        o.replaceWith = args.value(u"with", u" "_s);
    }
    o.cutToNumber = args.isSet(u"cut-to-number");
    if (args.isSet(u"unbracket")) {
        const QString rule = args.value(u"unbracket");
        const QString where = args.value(u"where", u"front"_s);
        if ((rule != u"numbers" && rule != u"any") || (where != u"front" && where != u"anywhere"))
            return bad(u"--unbracket takes numbers or any, --where front or anywhere"_s);
        o.unbracket = true;
        o.unbracketRule = rule == u"numbers" ? UnbracketRule::Numbers : UnbracketRule::AnyPair;
        o.unbracketPlace = where == u"front" ? UnbracketPlace::Front : UnbracketPlace::Anywhere;
    }
    o.collapseSpaces = args.isSet(u"collapse-spaces");
    o.padNumber = args.isSet(u"pad-number");
    if (args.isSet(u"space-before-capitals")) {
        o.insertBeforeCapitals = true;
        o.capitalsText = args.value(u"space-before-capitals", u" "_s);
    }
    if (args.isSet(u"replace-first") && args.isSet(u"replace-every"))
        return bad(u"--replace-first and --replace-every exclude each other"_s);
    if (args.isSet(u"replace-first") || args.isSet(u"replace-every")) {
        o.replaceText = true;
        o.replaceFirstOnly = args.isSet(u"replace-first");
        const QStringList v = args.values(o.replaceFirstOnly ? u"replace-first" : u"replace-every");
        o.search = v.value(v.size() - 2);
        o.replacement = v.value(v.size() - 1);
    }
    if (args.isSet(u"delete-at") && args.isSet(u"insert-at"))
        return bad(u"--delete-at and --insert-at exclude each other"_s);
    if (args.isSet(u"delete-at") || args.isSet(u"insert-at")) {
        o.editAtPosition = true;
        o.positionEdit = args.isSet(u"insert-at") ? PositionEdit::Insert : PositionEdit::Delete;
        const QStringList v = args.values(args.isSet(u"insert-at") ? u"insert-at" : u"delete-at");
        o.position = v.value(v.size() - 2);
        o.count = v.value(v.size() - 1);
    }
    o.swapArtistTitle = args.isSet(u"swap-artist-title");
    if (args.isSet(u"add")) {
        o.addToNumber = true;
        o.increment = args.value(u"add");
    }
    if (args.isSet(u"case")) {
        static const QStringList modes{u"Aaa"_s, u"Aa"_s, u"AA"_s, u"aa"_s};
        if (!modes.contains(args.value(u"case")))
            return bad(u"--case takes Aaa, Aa, AA or aa"_s);
        o.changeCase = true;
        o.caseMode = args.value(u"case");
    }
    if (args.isSet(u"space-parts")) {
        o.spaceParts = true;
        o.partsFiller = args.value(u"space-parts", u" "_s);
    }
    if (!o.anyChecked())
        return bad(noActionsMessage());
    if (const Status s = checkRenameActions(o); !s.ok())
        return bad(s.message());
    return o;
}

QList<OptionSpec> exprOptionSpecs()
{
    QList<OptionSpec> o = {
        {{u"from"_s}, u"PATTERN"_s, u"the \"Von\" pattern that cuts the old name into %x pieces"_s},
        {{u"to"_s}, u"PATTERN"_s, u"the \"Nach\" pattern that builds the new name"_s},
        {{u"commands"_s}, u"LIST"_s, u"command list, e.g. \"s(_/ )gk(Aa)\""_s},
        {{u"apply-to"_s},
         u"source|result"_s,
         u"run the commands on the old name or on the result (default)"_s},
        {{u"file"_s}, u"FILE.qxn"_s, u"read the three fields from an expression file"_s},
    };
    o += commonEngineOptions();
    return o;
}

std::optional<Expression> expression(Context& context, const ArgParser& args,
                                     const QString& command)
{
    const auto bad = [&](const QString& message) {
        context.io.err() << "varnolite-cli " << command << ": " << message << Qt::endl;
        return std::nullopt;
    };
    Expression e;
    if (args.isSet(u"file")) {
        const auto file = readExpressionFile(args.value(u"file"));
        if (!file.ok())
            return bad(file.status().message());
        e.from = file.value().from.value_or(QString());
        e.to = file.value().to.value_or(QString());
        e.commands = file.value().commands.value_or(QString());
    }
    e.from = args.value(u"from", e.from);
    e.to = args.value(u"to", e.to);
    e.commands = args.value(u"commands", e.commands);
    const QString applyTo = args.value(u"apply-to", u"result"_s);
    if (applyTo != u"source" && applyTo != u"result")
        return bad(u"--apply-to takes source or result"_s);
    e.applyTo = applyTo == u"source" ? ActionsApplyTo::Source : ActionsApplyTo::Result;
    if (!expressionIsUsable(e))
        return bad(u"needs --from and --to, or --commands"_s);
    return e;
}

QList<OptionSpec> regexOptionSpecs()
{
    return {
        {{u"rule"_s}, u"RULE"_s, u"one entry of the list, \"EXPR => REPLACEMENT\" (repeatable)"_s},
        {{u"rules"_s}, u"FILE.rex"_s, u"the entries of a list file (repeatable)"_s},
    };
}

std::optional<QList<RegexRule>> regexRules(Context& context, const ArgParser& args,
                                           const QString& command)
{
    const auto bad = [&](const QString& message) {
        context.io.err() << "varnolite-cli " << command << ": " << message << Qt::endl;
        return std::nullopt;
    };
    QList<RegexRule> rules;
    for (const auto& [option, values] : args.given({u"rule"_s, u"rules"_s})) {
        if (option == u"rule") {
            rules.append(parseRule(values.value(0)));
            continue;
        }
        const auto file = readRegexFile(values.value(0));
        if (!file.ok())
            return bad(file.status().message());
        rules.append(file.value());
    }
    if (rules.isEmpty())
        return bad(u"needs --rule or --rules"_s);
    for (const RegexRule& rule : rules) {
        if (!RegexReplace(QString(), rule.expression, rule.replacement))
            return bad(invalidExpressionText() + u": "_s + ruleLine(rule));
    }
    return rules;
}

QList<OptionSpec> renamingOptions(QList<OptionSpec> engine)
{
    engine.prepend(
        {{u"r"_s, u"recursive"_s}, {}, u"rename the content of directories too (content first)"_s});
    engine += renameFlowOptions();
    return engine;
}

FileSet renameSet(Context& context, const ArgParser& args, bool& failed)
{
    FileSet files = gatherPaths(context, args.positionals(), failed);
    if (args.isSet(u"recursive")) {
        for (const PathError& e : ExpandRecursive(files, FileMask(explorerMask(context)))) {
            context.fail(e.path, e.message);
            failed = true;
        }
    }
    return files;
}

int finish(int status, bool failed)
{
    return failed && status == ExitOk ? ExitFailed : status;
}

int needPaths(Context& context, const ArgParser& args, const QString& command)
{
    return args.positionals().isEmpty() ? usageHint(context, command, u"no PATH given"_s) : ExitOk;
}

int runActions(Context& context, const ArgParser& args)
{
    if (const int usage = needPaths(context, args, u"actions"_s))
        return usage;
    const auto options = actionOptions(context, args, u"actions"_s);
    if (!options)
        return ExitUsage;
    bool failed = false;
    const FileSet files = renameSet(context, args, failed);
    return finish(runRenameBatch(context, args, BuildActionBatch(files, *options)), failed);
}

int runExpr(Context& context, const ArgParser& args)
{
    if (const int usage = needPaths(context, args, u"expr"_s))
        return usage;
    const auto e = expression(context, args, u"expr"_s);
    if (!e)
        return ExitUsage;
    bool failed = false;
    const FileSet files = renameSet(context, args, failed);
    return finish(runRenameBatch(context, args,
                                 BuildExpressionBatch(files, *e, engineContext(context, args))),
                  failed);
}

int runRegex(Context& context, const ArgParser& args)
{
    if (const int usage = needPaths(context, args, u"regex"_s))
        return usage;
    const auto rules = regexRules(context, args, u"regex"_s);
    if (!rules)
        return ExitUsage;
    bool failed = false;
    const FileSet files = renameSet(context, args, failed);
    return finish(runRenameBatch(context, args, BuildRegexBatch(files, *rules)), failed);
}

// "names": one line per name, what the engine makes of it.
int runNames(Context& context, const ArgParser& args, const QString& engine)
{
    const QString command = u"names "_s + engine;
    if (args.positionals().isEmpty()) {
        context.io.err() << "varnolite-cli " << command << ": no NAME given" << Qt::endl;
        return ExitUsage;
    }
    const EntryKind kind = args.isSet(u"as-directory") ? EntryKind::Directory : EntryKind::File;
    QStringList out;
    int status = ExitOk;
    if (engine == u"actions") {
        const auto options = actionOptions(context, args, command);
        if (!options)
            return ExitUsage;
        for (const QString& name : args.positionals())
            out.append(ReplaceIllegalChars(ApplyRenameActions(name, *options)));
    } else if (engine == u"expr") {
        const auto e = expression(context, args, command);
        if (!e)
            return ExitUsage;
        const ActionContext c = engineContext(context, args);
        for (const QString& name : args.positionals())
            out.append(ReplaceIllegalChars(ApplyExpression(name, kind, *e, c)));
    } else {
        QList<RegexRule> rules;
        for (const auto& [option, values] : args.given({u"rule"_s, u"rules"_s})) {
            if (option == u"rule") {
                rules.append(parseRule(values.value(0)));
            } else if (const auto file = readRegexFile(values.value(0)); file.ok()) {
                rules.append(file.value());
            } else {
                context.fail(values.value(0), file.status().message());
                return ExitFailed;
            }
        }
        for (const QString& name : args.positionals()) {
            const std::optional<QString> result = ApplyExpressionList(name, rules);
            if (!result) {
                context.fail(name, invalidExpressionText());
                status = ExitFailed;
            }
            out.append(result.value_or(name));
        }
    }
    context.io.printLines(out);
    return status;
}

Command namesAction(const QString& engine, QList<OptionSpec> options, const QString& summary)
{
    options.append(
        {{u"as-directory"_s}, {}, u"treat the names as directories (no extension added back)"_s});
    return {
        engine,
        summary,
        u"[options] NAME..."_s,
        u"Prints, one line per NAME, what the engine makes of it: what the live example shows."_s,
        options,
        [engine](Context& c, const ArgParser& a) { return runNames(c, a, engine); }};
}

} // namespace

Command actionsCommand()
{
    return {
        u"actions"_s,
        u"rename files by the clean-up actions"_s,
        u"[actions] [-r] [rename options] PATH..."_s,
        u"Applies the chosen clean-up actions to each file name (extension included), always in\n"
        "the fixed order 1 to 13 below, whatever order they are given in, then replaces the\n"
        "characters * / : < > ? \\ | by \"_\" and \" by '. A renaming command: previewed, asked "
        "for,\n"
        "logged for undo. A position, count or increment that is not a whole number renames\n"
        "nothing (exit 2)."_s,
        renamingOptions(actionOptionSpecs()),
        runActions,
    };
}

Command exprCommand()
{
    return {
        u"expr"_s,
        u"rename files by the rename action language"_s,
        u"[--from PATTERN] [--to PATTERN] [--commands LIST] [--apply-to source|result] [--file FILE.qxn] [-r] PATH..."_s,
        u"The \"Von\" pattern cuts each name (without extension) into pieces named by %x codes, "
        u"the\n"
        "\"Nach\" pattern builds the new name from them, and the extension is added back (not for\n"
        "directories). The command list (s, fs, gk, ins, del, del2#, rembr, short, exp#, insA, "
        "flip,\n"
        "add, insP, rmgroup, regexp) runs on the result, or with --apply-to source on the old "
        "name.\n"
        "--file reads the three fields from a \".qxn\" file; the other options override it."_s,
        renamingOptions(exprOptionSpecs()),
        runExpr,
    };
}

Command regexCommand()
{
    return {
        u"regex"_s,
        u"rename files by a list of regular expressions"_s,
        u"(--rule 'EXPR => REPLACEMENT')... [--rules FILE.rex]... [-r] PATH..."_s,
        u"The rules, in the order given, form the list; it runs from its last entry to its first\n"
        "on each name without its extension. Every match is replaced by the replacement taken\n"
        "literally (\"$1\" stays \"$1\"); matching is case-sensitive. A rule that is empty, \"()\" "
        "or\n"
        "does not compile renames nothing (exit 2)."_s,
        renamingOptions(regexOptionSpecs()),
        runRegex,
    };
}

Command namesCommand()
{
    Command names{
        u"names"_s,
        u"show what an engine makes of names"_s,
        {},
        u"Prints, for bare names (no files needed), what an engine would make of them:\n"
        "exactly one line per name, the new name (the name itself when nothing changes).\n"
        "For regex, a name for which the list is invalid is printed unchanged and the\n"
        "message goes to stderr (exit 1)."_s,
        {},
        {}};
    names.subcommands = {
        namesAction(u"actions"_s, actionOptionSpecs(), u"the clean-up actions"_s),
        namesAction(u"expr"_s, exprOptionSpecs(), u"the rename action language"_s),
        namesAction(u"regex"_s, regexOptionSpecs(), u"a list of regular expressions"_s),
    };
    return names;
}

} // namespace varnolite::cli
