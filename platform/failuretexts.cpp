#include "failuretexts.h"

#include "dialogs.h"

namespace FailureTexts {

namespace {

// The item a history file belongs to: its file name without ".txt".
QString itemName(const IoStatus &status)
{
    const QString file = status.fileName();
    return file.endsWith(QStringLiteral(".txt")) ? file.chopped(4) : file;
}

} // namespace

QString title(const IoStatus &status)
{
    switch (status.problem()) {
    case IoProblem::UnusableName:
        return QStringLiteral("項目名エラー");
    default:
        return status.action() == IoAction::Read ? QStringLiteral("読み込みエラー")
                                                 : QStringLiteral("書き込みエラー");
    }
}

QString text(const IoStatus &status)
{
    const QString file = status.fileName();
    const QString failed = status.action() == IoAction::Read
        ? file + QStringLiteral(" を読み込めませんでした。")
        : file + QStringLiteral(" に書き込めませんでした。");
    switch (status.problem()) {
    case IoProblem::System:
        break;
    case IoProblem::NotRegularFile:
        return failed
            + QStringLiteral("\n通常のファイルではありません（パイプ、デバイスまたはフォルダ）。");
    case IoProblem::TooManyItems:
        return failed + QStringLiteral("\n項目が32767件を超えています。");
    case IoProblem::UnusableName:
        return QStringLiteral("項目名「") + itemName(status)
            + QStringLiteral("」はファイル名として使えないため、履歴を読み書きできません。\n")
            + QStringLiteral("項目名は設定画面で変更できます。");
    case IoProblem::NotReadYet:
        return failed + QStringLiteral("\n項目一覧を読み込めなかったため、書き換えは行いません。");
    case IoProblem::ChangedOnDisk:
        return failed + QStringLiteral("\n項目一覧がほかで変更されたため、上書きしませんでした。");
    case IoProblem::FolderNotWritable:
        return failed + QStringLiteral("\nフォルダ「") + status.reason()
            + QStringLiteral("」に書き込む権限がないため、ファイルを置き換えられません。");
    case IoProblem::NameNotCarried:
        return failed + QStringLiteral("\n項目名「") + status.reason()
            + QStringLiteral("」は項目一覧にそのまま書けない文字を含みます。");
    }
    if (status.action() == IoAction::Read)
        return failed;
    return failed + QStringLiteral("\nディスクの空き容量と書き込み権限を確認してください。");
}

} // namespace FailureTexts

void DamagedLineNotice::tell(Dialogs &dialogs, QWidget *parent, const QString &fileName,
                             qsizetype line)
{
    if (line == 0)
        return;
    const QString text
        = fileName + QStringLiteral(" の") + QString::number(line)
        + QStringLiteral("行目に壊れた部分（停電などで書きかけになったデータ）があるため、"
                         "その部分を読み飛ばしました。ほかの記録はそのまま使えます。\n")
        + QStringLiteral(
              "壊れた部分はファイルに残してあります。テキストエディターで確認してください。");
    if (m_told.contains(text))
        return;
    m_told.insert(text);
    dialogs.message(parent, text, QStringLiteral("破損した行"), MessageIcon::Warning);
}
