#include "oddnames.h"

#include <QTest>
#include <QTextDocument>

namespace {

const struct
{
    const char *tag;
    const char *stem;
} names[] = {
    {"blanks", "my holiday clip"},
    {"quotes", "it's \"the\" clip"},
    {"shell syntax", "$(touch pwned) `id` $HOME; a|b & c"},
    {"dollars", "$5$ and $HOME 50"},
    {"hashes", "##success## ##"},
    {"leading minus", "-i"},
    {"backslash", "back\\slash"},
    {"protocol-like", "http:x"},
    {"markup", "<b>bold<b> &amp;"},
    {"non-ASCII", "Grüße – été 東京"},
};

} // namespace

namespace OddNames {

QStringList all(const QString &extension)
{
    QStringList all;
    for (const auto &name : names)
        all << QString::fromUtf8(name.stem) + extension;
    return all;
}

void addRows(const QString &extension)
{
    for (const auto &name : names)
        QTest::newRow(name.tag) << QString::fromUtf8(name.stem) + extension;
}

QString shownText(const QString &toolTip)
{
    if (!Qt::mightBeRichText(toolTip))
        return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

} // namespace OddNames
