// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The texts the user meets. They are the program's own words: keep them exactly.
namespace Messages {

inline QString noConnection()
{
    return QStringLiteral("Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server ZP");
}

inline QString refusal()
{
    return QStringLiteral("Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server ZP");
}

inline QString notFound()
{
    return QStringLiteral("Δεν ενοπίστηκε το πρόγραμμα ZP. Από τις ρυθμίσεις δώστε την IP και την "
                          "Port επικοινωνίας. Στη συνέχεια πατήστε το πλήκτρο Connect");
}

inline QString network()
{
    return QStringLiteral("Κάτι δεν πάει καλά. Ελέγξε τη σύνδεση της συσκευής σας στο δίκτυο και "
                          "ξανά τρέξτε το RIzudovi.");
}

inline QString clientConnected()
{
    return QStringLiteral("Client connected with server");
}

inline QString clientDisconnected()
{
    return QStringLiteral("Client disconnected from server");
}

} // namespace Messages
