// SPDX-License-Identifier: GPL-3.0-or-later

#include "layoutjson.h"
#include "pagefiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const PageFiles::File *find(const QList<PageFiles::File> &files, const QByteArray &path)
{
    for (const PageFiles::File &file : files)
        if (file.path == path)
            return &file;
    return nullptr;
}

} // namespace

// The files as a browser gets them: the page carries the layout it builds the keypad from,
// and every picture that layout names is there to be loaded, on its own or as a sheet's view.
class tst_PageFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_files = PageFiles::all(); }

    void pageCarriesTheLayout()
    {
        const PageFiles::File *page = find(m_files, "index.html");
        QVERIFY(page);
        const QByteArray start = R"(<script type="application/json" id="layout">)";
        const qsizetype from = page->body.indexOf(start);
        QVERIFY(from >= 0);
        const qsizetype end = page->body.indexOf("</script>", from);
        QVERIFY(end > from);
        const QByteArray block = page->body.mid(from + start.size(), end - from - start.size());
        // Nothing in it could end the block, or open a comment that hides its end.
        QVERIFY(!block.contains('<'));
        QJsonParseError error;
        const QJsonDocument layout = QJsonDocument::fromJson(block, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        QCOMPARE(layout, QJsonDocument::fromJson(LayoutJson::document()));
    }

    void everyPictureOfTheLayoutIsServed()
    {
        const QJsonArray rows
            = QJsonDocument::fromJson(LayoutJson::document()).object().value("rows").toArray();
        int pictures = 0;
        for (const QJsonValue &row : rows) {
            const QString picture = row.toObject().value("picture").toString();
            if (picture.isEmpty())
                continue;
            ++pictures;
            // A picture of the first screen is a view of the sheet they share.
            const QString path = picture.section(u'#', 0, 0);
            const QString view = picture.section(u'#', 1);
            const PageFiles::File *file = find(m_files, path.toUtf8());
            QVERIFY2(file, qPrintable(picture));
            QCOMPARE(file->contentType, QByteArray("image/svg+xml"));
            if (!view.isEmpty())
                QVERIFY2(
                    file->body.contains("<view id=\"" + view.toUtf8() + '"'), qPrintable(picture));
        }
        QVERIFY(pictures > 0);
    }

private:
    QList<PageFiles::File> m_files;
};

QTEST_MAIN(tst_PageFiles)
#include "tst_pagefiles.moc"
