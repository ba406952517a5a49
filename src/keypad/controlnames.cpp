// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlnames.h"

#include "signtable.h"

#include <QHash>

namespace ControlNames {

namespace {

struct Row
{
    const char *component;
    const char *greek; // UTF-8
    const char *latin;
};

// clang-format off
const Row table[] = {
    // control grid
    {"rythmiseisshow", "Ρυθμίσεις", "Rythmiseis"},
    {"SpeedButton15", "Κενό", "Keno"},
    {"con_SpeedButton", "Σύνδεση", "Syndesi"},
    {"off", "Τερματισμός", "Termatismos"},
    {"martyriesshow", "Πίνακας μαρτυριών", "Pinakas martyrion"},
    {"SpeedButton14", "Νέα γραμμή", "Nea grammi"},
    {"SpeedButton35", "Διαγραφή", "Diagrafi"},
    {"move_client", "Μετακίνηση", "Metakinisi"},
    {"diaforashow", "Διάφορα σημεία", "Diafora simeia"},
    {"n5", "Τέσσερις γραμμές", "Tesseris grammes"},
    {"SpeedButton25", "Αριστερά", "Aristera"},
    {"SpeedButton31", "Δεξιά", "Dexia"},
    // move pad
    {"moveL", "Μεγάλο βέλος αριστερά", "Megalo velos aristera"},
    {"moveR", "Μεγάλο βέλος δεξιά", "Megalo velos dexia"},
    {"SpeedButton7", "Βέλος πάνω", "Velos pano"},
    {"SpeedButton8", "Βέλος δεξιά", "Velos dexia"},
    {"SpeedButton9", "Βέλος κάτω", "Velos kato"},
    {"SpeedButton10", "Βέλος αριστερά", "Velos aristera"},
    // toggles: the pair each one swaps
    {"enallagixronikiagogi", "Χρονική αγωγή: εναλλαγή", "Chroniki agogi: enallagi"},
    {"enallagiIson", "Ίσον: εναλλαγή", "Ison: enallagi"},
    {"enallagiMartyries", "Μαρτυρίες: εναλλαγή", "Martyries: enallagi"},
    {"CornerButton1", "Ποιότητα: εναλλαγή", "Poiotita: enallagi"},
    {"enallagifthores", "Γοργά και φθορές: εναλλαγή", "Gorga kai fthores: enallagi"},
    {"enallagikatavasi", "Κατάβαση: εναλλαγή", "Katavasi: enallagi"},
    {"enallagianavasi", "Ανάβαση: εναλλαγή", "Anavasi: enallagi"},
};
// clang-format on

QString displayName(const char *greek, const char *latin)
{
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(greek), QString::fromUtf8(latin));
}

} // namespace

QString accessibleName(QStringView component)
{
    if (const SignTable::Row *sign = SignTable::find(component))
        return SignTable::displayName(*sign);
    static const QHash<QString, const Row *> index = [] {
        QHash<QString, const Row *> byComponent;
        for (const Row &row : table)
            byComponent.insert(QString::fromLatin1(row.component), &row);
        return byComponent;
    }();
    const Row *row = index.value(component.toString(), nullptr);
    return row ? displayName(row->greek, row->latin) : QString();
}

QString connectionDescription(bool connected)
{
    return connected ? displayName("Συνδεδεμένο", "Syndedemeno")
                     : displayName("Χωρίς σύνδεση", "Choris syndesi");
}

} // namespace ControlNames
