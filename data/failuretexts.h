#pragma once

#include "iostatus.h"

#include <QString>

// The texts both windows show when a file operation fails.
namespace FailureTexts {

inline QString writeTitle()
{
    return QStringLiteral("書き込みエラー");
}
inline QString readTitle()
{
    return QStringLiteral("読み込みエラー");
}

inline QString writeText(const IoStatus &status)
{
    return status.fileName() + QStringLiteral(" に書き込めませんでした。\n")
        + QStringLiteral("ディスクの空き容量と書き込み権限を確認してください。");
}

inline QString readText(const IoStatus &status)
{
    return status.fileName() + QStringLiteral(" を読み込めませんでした。");
}

} // namespace FailureTexts
