#include "namecheck.h"

#include "codepage932.h"
#include "itemlist.h"

#include <QFile>

namespace {

const int kMaxFileNameBytes = 255;

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Control;
}

bool hasControl(const QString &name)
{
    for (QChar c : name) {
        if (isControl(c))
            return true;
    }
    return false;
}

bool hasSeparator(const QString &name)
{
    return name.contains(u'/') || name.contains(u'\\');
}

bool isItemListName(const QString &name)
{
    return name.compare(QStringLiteral("項目一覧"), Qt::CaseInsensitive) == 0;
}

// "<name>.txt" is a file name of its own on this system, one that no other name shares and that
// fits the file system.
bool hasFaithfulFileName(const QString &name)
{
    // A byte carried from a hand-edited list is a lone surrogate, which the local file name
    // cannot hold: it would turn into U+FFFD, the same for every such byte.
    return name.isValidUtf16()
        && QFile::encodeName(name + QStringLiteral(".txt")).size() <= kMaxFileNameBytes;
}

} // namespace

NameProblem checkItemName(const QString &name)
{
    if (name.isEmpty())
        return NameProblem::Empty;
    if (hasControl(name))
        return NameProblem::ControlCharacter;
    if (hasSeparator(name))
        return NameProblem::PathSeparator;
    for (QChar c : name) {
        if (QStringView(u":*?\"<>|").contains(c))
            return NameProblem::ForbiddenCharacter;
    }
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        return NameProblem::DotName;
    if (isItemListName(name))
        return NameProblem::ItemListName;
    // Some characters have a code page 932 form that reads back as another character.
    if (!CodePage932::canEncode(name) || !ItemList::carries(name))
        return NameProblem::NotInCodePage;
    const QByteArray encoded = CodePage932::encode(name).bytes;
    // Both the code page 932 form (the file's home system) and the local file system's form
    // of "<name>.txt" must fit a file name.
    const QString fileName = name + QStringLiteral(".txt");
    if (encoded.size() + 4 > kMaxFileNameBytes
        || QFile::encodeName(fileName).size() > kMaxFileNameBytes)
        return NameProblem::TooLong;
    return NameProblem::None;
}

QString typedName(const QString &typed)
{
    // The code page 932 codes 81 60, 81 7C, 81 61, 81 91, 81 92, 81 CA and 81 5C.
    static const char16_t pairs[][2] = {
        {u'\u301C', u'\uFF5E'}, {u'\u2212', u'\uFF0D'}, {u'\u2016', u'\u2225'},
        {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'},
        {u'\u2014', u'\u2015'},
    };
    QString name = typed.normalized(QString::NormalizationForm_C);
    for (const auto &pair : pairs)
        name.replace(QChar(pair[0]), QChar(pair[1]));
    return name;
}

QString charactersOutsideCodePage(const QString &name)
{
    QString outside;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype len
            = name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate() ? 2
                                                                                               : 1;
        const QString c = name.sliced(i, len);
        if (!CodePage932::canEncode(c)
            || CodePage932::decode(CodePage932::encode(c).bytes).text != c)
            outside += c;
        i += len - 1;
    }
    return outside;
}

bool isSafeHistoryName(const QString &name)
{
    return !hasControl(name) && !hasSeparator(name) && !isItemListName(name)
        && hasFaithfulFileName(name);
}
