#include "layout.h"

#include <QHash>
#include <vector>

namespace Layout {

std::span<const Row> rows()
{
    static const std::vector<Row> all = [] {
        std::vector<Row> joined;
        for (auto table : {mainScreenRows(), chartScreenRows(), settingsScreenRows()})
            joined.insert(joined.end(), table.begin(), table.end());
        return joined;
    }();
    return all;
}

const Row *find(QStringView name)
{
    static const QHash<QString, const Row *> index = [] {
        QHash<QString, const Row *> byName;
        for (const Row &row : rows())
            byName.insert(QString::fromLatin1(row.name), &row);
        return byName;
    }();
    return index.value(name.toString(), nullptr);
}

QString handlerName(Handler handler)
{
    switch (handler) {
    case Handler::None:
        return {};
    case Handler::c3Click:
        return QStringLiteral("c3Click");
    case Handler::ft8Click:
        return QStringLiteral("ft8Click");
    case Handler::m1Click:
        return QStringLiteral("m1Click");
    case Handler::o1Click:
        return QStringLiteral("o1Click");
    case Handler::o5Click:
        return QStringLiteral("o5Click");
    case Handler::ark1Click:
        return QStringLiteral("ark1Click");
    case Handler::enallagixronikiagogiClick:
        return QStringLiteral("enallagixronikiagogiClick");
    case Handler::enallagiIsonClick:
        return QStringLiteral("enallagiIsonClick");
    case Handler::enallagiMartyriesClick:
        return QStringLiteral("enallagiMartyriesClick");
    case Handler::CornerButton1Click:
        return QStringLiteral("CornerButton1Click");
    case Handler::enallagifthoresClick:
        return QStringLiteral("enallagifthoresClick");
    case Handler::enallagikatavasiClick:
        return QStringLiteral("enallagikatavasiClick");
    case Handler::enallagianavasiClick:
        return QStringLiteral("enallagianavasiClick");
    case Handler::rythmiseisshowClick:
        return QStringLiteral("rythmiseisshowClick");
    case Handler::martyriesshowClick:
        return QStringLiteral("martyriesshowClick");
    case Handler::diaforashowClick:
        return QStringLiteral("diaforashowClick");
    case Handler::Button1Click:
        return QStringLiteral("Button1Click");
    case Handler::offClick:
        return QStringLiteral("offClick");
    case Handler::move_clientClick:
        return QStringLiteral("move_clientClick");
    case Handler::Button3Click:
        return QStringLiteral("Button3Click");
    case Handler::moveLClick:
        return QStringLiteral("moveLClick");
    case Handler::moveRClick:
        return QStringLiteral("moveRClick");
    case Handler::ConnectDisconnectClick:
        return QStringLiteral("ConnectDisconnectClick");
    case Handler::con_SpeedButtonClick:
        return QStringLiteral("con_SpeedButtonClick");
    }
    return {};
}

} // namespace Layout
