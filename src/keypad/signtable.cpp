// SPDX-License-Identifier: GPL-3.0-or-later

#include "signtable.h"

#include <QHash>
#include <iterator>

namespace SignTable {

namespace {

// Byzantine musical symbols, named as Unicode names them.
constexpr const char *ison = "\U0001D046";
constexpr const char *oligon = "\U0001D047";
constexpr const char *petasti = "\U0001D049";
constexpr const char *koufisma = "\U0001D04A";
constexpr const char *petastokoufisma = "\U0001D04B";
constexpr const char *kratimokoufisma = "\U0001D04C";
constexpr const char *pelaston = "\U0001D04D";
constexpr const char *kentimata = "\U0001D04E";
constexpr const char *kentima = "\U0001D04F";
constexpr const char *ypsili = "\U0001D050";
constexpr const char *apostrofos = "\U0001D051";
constexpr const char *apostrofoiSyndesmos = "\U0001D052";
constexpr const char *yporroi = "\U0001D053";
constexpr const char *kratimoyporroon = "\U0001D054";
constexpr const char *elafron = "\U0001D055";
constexpr const char *chamili = "\U0001D056";
constexpr const char *vareia = "\U0001D058";
constexpr const char *piasma = "\U0001D059";
constexpr const char *psifiston = "\U0001D05A";
constexpr const char *omalon = "\U0001D05B";
constexpr const char *antikenoma = "\U0001D05C";
constexpr const char *lygisma = "\U0001D05D";
constexpr const char *parakalesma = "\U0001D05F";
constexpr const char *kylisma = "\U0001D061";
constexpr const char *antikenokylisma = "\U0001D062";
constexpr const char *tromikon = "\U0001D063";
constexpr const char *ekstrepton = "\U0001D064";
constexpr const char *synagma = "\U0001D065";
constexpr const char *syrma = "\U0001D066";
constexpr const char *chorevma = "\U0001D067";
constexpr const char *epegerma = "\U0001D068";
constexpr const char *seisma = "\U0001D069";
constexpr const char *xironKlasma = "\U0001D06A";
constexpr const char *tromikopsifiston = "\U0001D06B";
constexpr const char *psifistolygisma = "\U0001D06C";
constexpr const char *tromikolygisma = "\U0001D06D";
constexpr const char *tromikoparakalesma = "\U0001D06E";
constexpr const char *psifistoparakalesma = "\U0001D06F";
constexpr const char *tromikosynagma = "\U0001D070";
constexpr const char *psifistosynagma = "\U0001D071";
constexpr const char *gorgosyntheton = "\U0001D072";
constexpr const char *argosyntheton = "\U0001D073";
constexpr const char *oyranisma = "\U0001D075";
constexpr const char *thematismosEso = "\U0001D076";
constexpr const char *thematismosExo = "\U0001D077";
constexpr const char *themaAploun = "\U0001D078";
constexpr const char *thesKaiApothes = "\U0001D079";
constexpr const char *endofonon = "\U0001D07B";
constexpr const char *stavros = "\U0001D07E";
constexpr const char *klasmaAno = "\U0001D07F";
constexpr const char *kratima = "\U0001D083";
constexpr const char *apli = "\U0001D085";
constexpr const char *dipli = "\U0001D086";
constexpr const char *tripli = "\U0001D087";
constexpr const char *tetrapli = "\U0001D088";
constexpr const char *koronis = "\U0001D089";
constexpr const char *gorgon = "\U0001D08F";
constexpr const char *gorgonDotLeft = "\U0001D090";
constexpr const char *gorgonDotRight = "\U0001D091";
constexpr const char *digorgon = "\U0001D092";
constexpr const char *digorgonDotLeftBelow = "\U0001D093";
constexpr const char *digorgonDotLeftAbove = "\U0001D094";
constexpr const char *digorgonDotRight = "\U0001D095";
constexpr const char *trigorgon = "\U0001D096";
constexpr const char *argon = "\U0001D097";
constexpr const char *imidiargon = "\U0001D098";
constexpr const char *diargon = "\U0001D099";
constexpr const char *agogiPoliArgi = "\U0001D09A";
constexpr const char *agogiArgoteri = "\U0001D09B";
constexpr const char *agogiArgi = "\U0001D09C";
constexpr const char *agogiMetria = "\U0001D09D";
constexpr const char *agogiGorgi = "\U0001D09F";
constexpr const char *agogiGorgoteri = "\U0001D0A0";
constexpr const char *agogiPoliGorgi = "\U0001D0A1";
constexpr const char *martyriaProtos = "\U0001D0A2";
constexpr const char *martyriaAlliProtos = "\U0001D0A3";
constexpr const char *martyriaDeyteros = "\U0001D0A4";
constexpr const char *martyriaAlliDeyteros = "\U0001D0A5";
constexpr const char *martyriaTritos = "\U0001D0A6";
constexpr const char *martyriaTrifonias = "\U0001D0A7";
constexpr const char *martyriaTetartos = "\U0001D0A8";
constexpr const char *martyriaTetartosLegetos = "\U0001D0A9";
constexpr const char *martyriaLegetos = "\U0001D0AA";
constexpr const char *martyriaPlagios = "\U0001D0AB";
constexpr const char *isakiaTelousIchimatos = "\U0001D0AC";
constexpr const char *apostrofoiTelousIchimatos = "\U0001D0AD";
constexpr const char *fanerosisTetrafonias = "\U0001D0AE";
constexpr const char *fanerosisMonofonias = "\U0001D0AF";
constexpr const char *fanerosisDifonias = "\U0001D0B0";
constexpr const char *martyriaVarys = "\U0001D0B1";
constexpr const char *martyriaProtovarys = "\U0001D0B2";
constexpr const char *martyriaPlagiosTetartos = "\U0001D0B3";
constexpr const char *enarxisKaiFthoraVou = "\U0001D0B6";
constexpr const char *imifonon = "\U0001D0B7";
constexpr const char *imifthoron = "\U0001D0B8";
constexpr const char *fthoraDiatonikiPa = "\U0001D0BA";
constexpr const char *fthoraDiatonikiNana = "\U0001D0BB";
constexpr const char *fthoraDiatonikiDi = "\U0001D0BD";
constexpr const char *fthoraSklironDiatononDi = "\U0001D0BE";
constexpr const char *fthoraDiatonikiKe = "\U0001D0BF";
constexpr const char *fthoraDiatonikiZo = "\U0001D0C0";
constexpr const char *fthoraDiatonikiNiKato = "\U0001D0C1";
constexpr const char *fthoraDiatonikiNiAno = "\U0001D0C2";
constexpr const char *fthoraMalakonChromaDifonias = "\U0001D0C3";
constexpr const char *fthoraMalakonChromaMonofonias = "\U0001D0C4";
constexpr const char *fthoraSklironChromaVasis = "\U0001D0C5";
constexpr const char *fthoraSklironChromaSynafi = "\U0001D0C6";
constexpr const char *fthoraNenano = "\U0001D0C7";
constexpr const char *chroaZygos = "\U0001D0C8";
constexpr const char *chroaKliton = "\U0001D0C9";
constexpr const char *chroaSpathi = "\U0001D0CA";
constexpr const char *fthoraYfesisTetartimorion = "\U0001D0CB";
constexpr const char *fthoraEnarmoniosAntifonia = "\U0001D0CC";
constexpr const char *diesisApli = "\U0001D0D0";
constexpr const char *diesisMonogrammos = "\U0001D0D1";
constexpr const char *diesisDigrammos = "\U0001D0D2";
constexpr const char *yfesisApli = "\U0001D0D4";
constexpr const char *yfesisMonogrammos = "\U0001D0D5";
constexpr const char *yfesisDigrammos = "\U0001D0D6";
constexpr const char *diastoliApliMikri = "\U0001D0DA";
constexpr const char *diastoliApliMegali = "\U0001D0DB";
constexpr const char *diastoliDipli = "\U0001D0DC";
constexpr const char *diastoliTheseos = "\U0001D0DD";
constexpr const char *simansisTheseos = "\U0001D0DE";
constexpr const char *simansisArseos = "\U0001D0E2";
constexpr const char *stigma = "\U0001D0E8";
constexpr const char *arktikoPa = "\U0001D0E9";
constexpr const char *arktikoVou = "\U0001D0EA";
constexpr const char *arktikoGa = "\U0001D0EB";
constexpr const char *arktikoDi = "\U0001D0EC";
constexpr const char *arktikoKe = "\U0001D0ED";
constexpr const char *arktikoZo = "\U0001D0EE";
constexpr const char *arktikoNi = "\U0001D0EF";
constexpr const char *klasmaKato = "\U0001D0F4";
constexpr const char *gorgonKato = "\U0001D0F5";

// Not Byzantine symbols: the upper-octave prime, the line that bar marks stand on, an arrow.
constexpr const char *keraia = "\u0374";
constexpr const char *baseLine = "\u2014";
constexpr const char *upArrow = "\u2191";
constexpr const char *downArrow = "\u2193";

using enum Place;
using enum Tile;
constexpr Ink red = Ink::Red;
constexpr Ink teal = Ink::Teal;
constexpr Ink green = Ink::Green;
constexpr Ink grey = Ink::Grey;

// Time signs are drawn larger than their font has them, so that they stand out on a tile.
constexpr Glyph enlarged(const char *text, Place place)
{
    return {text, place, Ink::Black, 1.6f};
}

// clang-format off
const Row table[] = {
    // tempo marks
    {"x8", {{agogiPoliArgi}}, "Πολύ αργή αγωγή", "Poly argi agogi", Cream},
    {"x9", {{agogiArgoteri}}, "Αργότερη αγωγή", "Argoteri agogi", Cream},
    {"x10", {{agogiArgi}}, "Αργή αγωγή", "Argi agogi", Cream},
    {"x11", {{agogiMetria}}, "Μέτρια αγωγή", "Metria agogi", Cream},
    {"x12", {{agogiGorgi}}, "Γοργή αγωγή", "Gorgi agogi", Cream},
    {"x13", {{agogiGorgoteri}}, "Γοργότερη αγωγή", "Gorgoteri agogi", Cream},
    {"x14", {{agogiPoliGorgi}}, "Πολύ γοργή αγωγή", "Poly gorgi agogi", Cream},

    // tempo marks over a martyria, offered right after one has been entered
    {"x1", {{arktikoNi, Next, red}, {martyriaTetartos, Next, red}, {agogiPoliArgi, AboveAll}},
        "Πολύ αργή αγωγή επί μαρτυρίας", "Poly argi agogi epi martyrias", Cream},
    {"x2", {{arktikoNi, Next, red}, {martyriaTetartos, Next, red}, {agogiArgoteri, AboveAll}},
        "Αργότερη αγωγή επί μαρτυρίας", "Argoteri agogi epi martyrias", Cream},
    {"x3", {{arktikoNi, Next, red}, {martyriaTetartos, Next, red}, {agogiArgi, AboveAll}},
        "Αργή αγωγή επί μαρτυρίας", "Argi agogi epi martyrias", Cream},
    {"x4", {{arktikoNi, Next, red}, {martyriaTetartos, Next, red}, {agogiMetria, AboveAll}},
        "Μέτρια αγωγή επί μαρτυρίας", "Metria agogi epi martyrias", Cream},
    {"x5", {{arktikoNi, Next, red}, {martyriaTetartos, Next, red}, {agogiGorgi, AboveAll}},
        "Γοργή αγωγή επί μαρτυρίας", "Gorgi agogi epi martyrias", Cream},
    {"x6", {{arktikoNi, Next, red}, {martyriaTetartos, Next, red}, {agogiGorgoteri, AboveAll}},
        "Γοργότερη αγωγή επί μαρτυρίας", "Gorgoteri agogi epi martyrias", Cream},
    {"x7", {{arktikoNi, Next, red}, {martyriaTetartos, Next, red}, {agogiPoliGorgi, AboveAll}},
        "Πολύ γοργή αγωγή επί μαρτυρίας", "Poly gorgi agogi epi martyrias", Cream},

    // alteration signs
    {"sa1", {{diesisApli, Next, red}}, "Δίεση απλή", "Diesi apli", Cream},
    {"sa2", {{diesisMonogrammos, Next, red}}, "Δίεση μονόγραμμη", "Diesi monogrammi", Cream},
    {"sa3", {{diesisDigrammos, Next, red}}, "Δίεση δίγραμμη", "Diesi digrammi", Cream},
    {"sa4", {{yfesisApli, Next, red}}, "Ύφεση απλή", "Yfesi apli", Cream},
    {"sa5", {{yfesisMonogrammos, Next, red}}, "Ύφεση μονόγραμμη", "Yfesi monogrammi", Cream},
    {"sa6", {{yfesisDigrammos, Next, red}}, "Ύφεση δίγραμμη", "Yfesi digrammi", Cream},

    // ison letters: text buttons, no picture
    {"k1", {{"(Ν)"}}, "Ένδειξη ίσου Νη", "Endeixi isou Ni", None},
    {"k2", {{"(Π)"}}, "Ένδειξη ίσου Πα", "Endeixi isou Pa", None},
    {"k3", {{"(Β)"}}, "Ένδειξη ίσου Βου", "Endeixi isou Vou", None},
    {"k4", {{"(Γ)"}}, "Ένδειξη ίσου Γα", "Endeixi isou Ga", None},
    {"k5", {{"(Δ)"}}, "Ένδειξη ίσου Δι", "Endeixi isou Di", None},
    {"k6", {{"(Κ)"}}, "Ένδειξη ίσου Κε", "Endeixi isou Ke", None},
    {"k7", {{"(Ζ)"}}, "Ένδειξη ίσου Ζω", "Endeixi isou Zo", None},
    {"k8", {{"(Μ)"}}, "Ένδειξη ίσου Μ", "Endeixi isou M", None},

    // ison letters, alternate
    {"l1", {{"(Ζ", Next, green}, {upArrow, Next, green}, {")", Next, green}},
        "Ένδειξη ίσου Ζω άνω", "Endeixi isou Zo ano", White},
    {"l2", {{"(Δ", Next, green}, {downArrow, Next, green}, {")", Next, green}},
        "Ένδειξη ίσου Δι κάτω", "Endeixi isou Di kato", White},
    {"l3", {{"(Κ", Next, green}, {downArrow, Next, green}, {")", Next, green}},
        "Ένδειξη ίσου Κε κάτω", "Endeixi isou Ke kato", White},

    // martyria letters
    {"m1", {{arktikoNi, Next, teal}}, "Μαρτυρία Νη", "Martyria Ni", White},
    {"m2", {{arktikoPa, Next, teal}}, "Μαρτυρία Πα", "Martyria Pa", White},
    {"m3", {{arktikoVou, Next, teal}}, "Μαρτυρία Βου", "Martyria Vou", White},
    {"m4", {{arktikoGa, Next, teal}}, "Μαρτυρία Γα", "Martyria Ga", White},
    {"m5", {{arktikoDi, Next, teal}}, "Μαρτυρία Δι", "Martyria Di", White},
    {"m6", {{arktikoKe, Next, teal}}, "Μαρτυρία Κε", "Martyria Ke", White},
    {"m7", {{arktikoZo, Next, teal}}, "Μαρτυρία Ζω", "Martyria Zo", White},
    {"m8", {{keraia, Next, teal, 1.8}}, "Κεραία (άνω διαπασών)", "Keraia (ano diapason)", White},

    // martyria signs
    {"o1", {{martyriaProtos, Next, teal}}, "Μαρτυρία πρώτου ήχου", "Martyria protou ichou", White},
    {"o2", {{martyriaAlliProtos, Next, teal}}, "Άλλη μαρτυρία πρώτου ήχου",
        "Alli martyria protou ichou", White},
    {"o3", {{martyriaDeyteros, Next, teal}}, "Μαρτυρία δευτέρου ήχου", "Martyria defterou ichou",
        White},
    {"o4", {{martyriaAlliDeyteros, Next, teal}}, "Άλλη μαρτυρία δευτέρου ήχου",
        "Alli martyria defterou ichou", White},
    {"o5", {{dipli, Next, teal}}, "Δύο στιγμές", "Dyo stigmes", White},
    {"o6", {{martyriaTritos, Next, teal}}, "Μαρτυρία τρίτου ήχου", "Martyria tritou ichou", White},
    {"o7", {{martyriaTrifonias, Next, teal}}, "Μαρτυρία τριφωνίας", "Martyria trifonias", White},
    {"o8", {{martyriaTetartos, Next, teal}}, "Μαρτυρία τετάρτου ήχου", "Martyria tetartou ichou",
        White},
    {"o9", {{martyriaTetartosLegetos, Next, teal}}, "Μαρτυρία τετάρτου λέγετου",
        "Martyria tetartou legetou", White},

    // bar lines and digits
    {"di4", {{diastoliDipli}, {diastoliTheseos}}, "Διαστολές με τόξο", "Diastoles me toxo",
        Yellow},
    {"di3", {{diastoliDipli}, {diastoliTheseos}, {baseLine, BelowAll, grey}},
        "Διαστολές με τόξο, υπογραμμισμένες", "Diastoles me toxo, ypogrammismenes", Yellow},
    {"di2", {{"2", Next, red}}, "Δίσημο μέτρο", "Disimo metro", LightGreen},
    {"di1", {{"3", Next, red}}, "Τρίσημο μέτρο", "Trisimo metro", LightGreen},
    {"di5", {{"4", Next, red}}, "Τετράσημο μέτρο", "Tetrasimo metro", LightGreen},

    // quality signs, most shown on a red oligon
    {"g4", {{vareia}, {oligon, Next, red}}, "Βαρεία", "Vareia", Grey},
    {"g5", {{oligon, Next, red}, {psifiston, Below}}, "Ψηφιστόν", "Psifiston", Grey},
    {"g6", {{oligon, Next, red}, {omalon, Below}}, "Ομαλόν", "Omalon", Grey},
    {"g15", {{oligon, Next, red}, {antikenoma, Below}}, "Αντικένωμα", "Antikenoma", LightBlue},
    {"g16", {{endofonon}}, "Ενδόφωνον", "Endofonon", LightBlue},
    {"g17", {{oligon, Next, red}, {piasma, Below}}, "Πίασμα", "Piasma", LightBlue},
    {"g1", {{oligon, Next, red}, {lygisma, Below}}, "Λύγισμα", "Lygisma", Yellow},
    {"g2", {{oligon, Next, red}, {kylisma, Below}}, "Κύλισμα", "Kylisma", Yellow},
    {"g7", {{oligon, Next, red}, {tromikon, Below}}, "Τρομικόν", "Tromikon", LightGreen},
    {"g8", {{oligon, Next, red}, {ekstrepton, Below}}, "Εκστρεπτόν", "Ekstrepton", LightGreen},
    {"g9", {{oligon, Next, red}, {parakalesma, Below}}, "Παρακάλεσμα", "Parakalesma", Tan},
    {"g11", {{oligon, Next, red}, {synagma, Below}}, "Σύναγμα", "Synagma", Tan},

    // quality signs, alternate: the compound ones
    {"g13", {{oligon, Next, red}, {tromikopsifiston, Below}}, "Τρομικοψηφιστόν",
        "Tromikopsifiston", Grey},
    {"g19", {{oligon, Next, red}, {psifistolygisma, Below}}, "Ψηφιστολύγισμα", "Psifistolygisma",
        Grey},
    {"g14", {{oligon, Next, red}, {tromikolygisma, Below}}, "Τρομικολύγισμα", "Tromikolygisma",
        Grey},
    {"g20", {{oligon, Next, red}, {xironKlasma, Below}}, "Ξηρόν κλάσμα", "Xiron klasma",
        LightBlue},
    {"g21", {{oligon, Next, red}, {epegerma, Below}}, "Επέγερμα", "Epegerma", LightBlue},
    {"g24", {{oligon, Next, red}, {seisma, Below}}, "Σείσμα", "Seisma", Cream},
    {"g22", {{oligon, Next, red}, {antikenokylisma, Below}}, "Αντικενοκύλισμα",
        "Antikenokylisma", Yellow},
    {"g23", {{oligon, Next, red}, {chorevma, Below}}, "Χόρευμα", "Chorevma", Yellow},
    {"g3", {{oligon, Next, red}, {syrma, Below}}, "Σύρμα", "Syrma", Cream},
    {"g18", {{oligon, Next, red}, {tromikoparakalesma, Below}}, "Τρομικοπαρακάλεσμα",
        "Tromikoparakalesma", LightGreen},
    {"g25", {{oligon, Next, red}, {psifistoparakalesma, Below}}, "Ψηφιστοπαρακάλεσμα",
        "Psifistoparakalesma", LightGreen},
    {"g10", {{oligon, Next, red}, {tromikosynagma, Below}}, "Τρομικοσύναγμα", "Tromikosynagma",
        Tan},
    {"g12", {{oligon, Next, red}, {psifistosynagma, Below}}, "Ψηφιστοσύναγμα", "Psifistosynagma",
        Tan},

    // time signs, each on a red oligon or, for the rests, a red vareia
    {"kar6", {{oligon, Next, red}, enlarged(klasmaAno, AboveEnd)}, "Κλάσμα", "Klasma", Pink},
    {"xr24", {{oligon, Next, red}, enlarged(stavros, AboveEnd)}, "Σταυρός", "Stavros", Pink},
    {"kar5", {{oligon, Next, red}, enlarged(klasmaKato, BelowEnd)}, "Κλάσμα κάτω",
        "Klasma kato", Pink},
    {"kar7", {{oligon, Next, red}, enlarged(koronis, Above)}, "Κορωνίς", "Koronis", Pink},
    {"xr22", {{oligon, Next, red}, enlarged(gorgon, Above)}, "Γοργόν", "Gorgon", LightBlue},
    {"xr20", {{oligon, Next, red}, enlarged(gorgonDotLeft, Above)},
        "Γοργόν παρεστιγμένον αριστερά", "Gorgon parestigmenon aristera", LightBlue},
    {"xr18", {{oligon, Next, red}, enlarged(gorgonDotRight, Above)},
        "Γοργόν παρεστιγμένον δεξιά", "Gorgon parestigmenon dexia", LightBlue},
    {"xr19", {{oligon, Next, red}, enlarged(digorgon, Above)}, "Δίγοργον", "Digorgon", LightBlue},
    {"xr16", {{oligon, Next, red}, enlarged(trigorgon, Above)}, "Τρίγοργον", "Trigorgon",
        LightBlue},
    {"xr21", {{oligon, Next, red}, enlarged(gorgonKato, Below)}, "Γοργόν κάτω", "Gorgon kato",
        LightBlue},
    {"xr17", {{oligon, Next, red}, enlarged(digorgonDotLeftBelow, Above)},
        "Δίγοργον παρεστιγμένον αριστερά κάτω", "Digorgon parestigmenon aristera kato",
        LightBlue},
    {"xr15", {{oligon, Next, red}, enlarged(digorgonDotLeftAbove, Above)},
        "Δίγοργον παρεστιγμένον αριστερά άνω", "Digorgon parestigmenon aristera ano", LightBlue},
    {"xr13", {{oligon, Next, red}, enlarged(digorgonDotRight, Above)},
        "Δίγοργον παρεστιγμένον δεξιά", "Digorgon parestigmenon dexia", LightBlue},
    {"xr5", {{gorgosyntheton}}, "Γοργοσύνθετον", "Gorgosyntheton", LightBlue},
    {"xr4", {{oligon, Next, red}, enlarged(tetrapli, Below)}, "Τετραπλή", "Tetrapli", LightGreen},
    {"xr3", {{oligon, Next, red}, enlarged(tripli, Below)}, "Τριπλή", "Tripli", LightGreen},
    {"xr1", {{oligon, Next, red}, enlarged(apli, Below)}, "Απλή", "Apli", LightGreen},
    {"xr2", {{oligon, Next, red}, enlarged(dipli, Below)}, "Διπλή", "Dipli", LightGreen},
    {"xr10", {{oligon, Next, red}, enlarged(argon, Above)}, "Αργόν", "Argon", Lilac},
    {"xr6", {{oligon, Next, red}, enlarged(imidiargon, Above)}, "Ημίδιαργον", "Imidiargon", Lilac},
    {"xr7", {{oligon, Next, red}, enlarged(diargon, Above)}, "Δίαργον", "Diargon", Lilac},
    {"xr8", {{argosyntheton}}, "Αργοσύνθετον", "Argosyntheton", Lilac},
    {"xr9", {{vareia, Next, red}, enlarged(apli, AboveEnd)}, "Λείμμα ενός χρόνου",
        "Leimma enos chronou", Tan},
    {"xr11", {{vareia, Next, red}, enlarged(dipli, AboveEnd)}, "Λείμμα δύο χρόνων",
        "Leimma dyo chronon", Tan},
    {"xr12", {{vareia, Next, red}, enlarged(tripli, AboveEnd)}, "Λείμμα τριών χρόνων",
        "Leimma trion chronon", Tan},
    {"xr14", {{vareia, Next, red}, enlarged(tetrapli, AboveEnd)}, "Λείμμα τεσσάρων χρόνων",
        "Leimma tessaron chronon", Tan},

    // phthorae
    {"ft8", {{fthoraDiatonikiNiAno, Next, red}}, "Φθορά διατονική Νη άνω",
        "Fthora diatoniki Ni ano", PaleYellow},
    {"ft7", {{fthoraDiatonikiZo, Next, red}}, "Φθορά διατονική Ζω", "Fthora diatoniki Zo",
        PaleYellow},
    {"ft6", {{fthoraDiatonikiKe, Next, red}}, "Φθορά διατονική Κε", "Fthora diatoniki Ke",
        PaleYellow},
    {"ft5", {{fthoraDiatonikiDi, Next, red}}, "Φθορά διατονική Δι", "Fthora diatoniki Di",
        PaleYellow},
    {"ft1", {{fthoraDiatonikiNiKato, Next, red}}, "Φθορά διατονική Νη κάτω",
        "Fthora diatoniki Ni kato", PaleYellow},
    {"ft2", {{fthoraDiatonikiPa, Next, red}}, "Φθορά διατονική Πα", "Fthora diatoniki Pa",
        PaleYellow},
    {"ft3", {{enarxisKaiFthoraVou, Next, red}}, "Φθορά Βου", "Fthora Vou", PaleYellow},
    {"ft4", {{fthoraDiatonikiNana, Next, red}}, "Φθορά διατονική Γα (νανά)",
        "Fthora diatoniki Ga (nana)", PaleYellow},
    {"ft13", {{fthoraEnarmoniosAntifonia, Next, red}}, "Φθορά εναρμόνιος", "Fthora enarmonios",
        Pink},
    {"ft14", {{fthoraNenano, Next, red}}, "Φθορά νενανώ", "Fthora nenano", Pink},
    {"ft15", {{fthoraSklironDiatononDi, Next, red}}, "Φθορά σκληρού διατονικού Δι",
        "Fthora sklirou diatonikou Di", Pink},
    {"ft16", {{fthoraYfesisTetartimorion, Next, red}}, "Φθορά ύφεσης τεταρτημορίου",
        "Fthora yfesis tetartimoriou", Pink},
    {"ft9", {{fthoraMalakonChromaDifonias, Next, red}}, "Φθορά μαλακού χρωματικού διφωνίας",
        "Fthora malakou chromatikou difonias", LightBlue},
    {"ft10", {{fthoraMalakonChromaMonofonias, Next, red}},
        "Φθορά μαλακού χρωματικού μονοφωνίας", "Fthora malakou chromatikou monofonias",
        LightBlue},
    {"ft11", {{fthoraSklironChromaVasis, Next, red}}, "Φθορά σκληρού χρωματικού βάσεως",
        "Fthora sklirou chromatikou vaseos", LightBlue},
    {"ft12", {{fthoraSklironChromaSynafi, Next, red}}, "Φθορά σκληρού χρωματικού συναφής",
        "Fthora sklirou chromatikou synafis", LightBlue},
    {"ft19", {{chroaSpathi, Next, red}}, "Χρόα σπάθη", "Chroa spathi", LightGreen},
    {"ft20", {{imifthoron, Next, red}}, "Ημίφθορον", "Imifthoron", LightGreen},
    {"ft17", {{chroaZygos, Next, red}}, "Χρόα ζυγός", "Chroa zygos", LightGreen},
    {"ft18", {{chroaKliton, Next, red}}, "Χρόα κλιτόν", "Chroa kliton", LightGreen},
    {"ft21", {{imifonon, Next, red}}, "Ημίφωνον", "Imifonon", LightGreen},

    // descending neumes
    {"c4", {{apostrofos}}, "Απόστροφος", "Apostrofos", PaleYellow},
    {"c3", {{yporroi}}, "Υπορροή", "Yporroi", PaleYellow},
    {"c2", {{elafron}}, "Ελαφρόν", "Elafron", PaleYellow},
    {"c1", {{chamili}}, "Χαμηλή", "Chamili", PaleYellow},
    {"c12", {{elafron}, {apostrofos, BelowStart}}, "Ελαφρόν με απόστροφο",
        "Elafron me apostrofo", LightGreen},
    {"c11", {{chamili}, {apostrofos, BelowStart}}, "Χαμηλή με απόστροφο",
        "Chamili me apostrofo", LightGreen},
    {"c10", {{chamili}, {elafron, BelowEnd}}, "Χαμηλή με ελαφρόν", "Chamili me elafron",
        LightGreen},
    {"c9", {{chamili}, {elafron, BelowEnd}, {apostrofos, BelowStart}},
        "Χαμηλή με ελαφρόν και απόστροφο", "Chamili me elafron kai apostrofo", LightGreen},
    {"c8", {{oligon}, {apostrofos, Below}}, "Ολίγον με απόστροφο", "Oligon me apostrofo", Olive},
    {"c7", {{oligon}, {elafron, Below}}, "Ολίγον με ελαφρόν", "Oligon me elafron", Olive},
    {"c6", {{oligon}, {yporroi, Below}}, "Ολίγον με υπορροή", "Oligon me yporroi", Olive},
    {"c5", {{oligon}, {chamili, Below}}, "Ολίγον με χαμηλή", "Oligon me chamili", Olive},
    {"f2", {{petasti}, {apostrofos, Below}}, "Πεταστή με απόστροφο", "Petasti me apostrofo",
        Orange},
    {"c17", {{petasti}, {elafron, Below}}, "Πεταστή με ελαφρόν", "Petasti me elafron", Orange},
    {"c14", {{petasti}, {yporroi, Below}}, "Πεταστή με υπορροή", "Petasti me yporroi", Orange},
    {"c13", {{petasti}, {chamili, Below}}, "Πεταστή με χαμηλή", "Petasti me chamili", Orange},

    // descending neumes, alternate: compound ones
    {"e12", {{apostrofoiSyndesmos}}, "Απόστροφοι σύνδεσμοι", "Apostrofoi syndesmoi", Gold},
    {"e13", {{apostrofos}, {elafron}}, "Συνεχές ελαφρόν", "Syneches elafron", Gold},
    {"e11", {{kratimoyporroon}}, "Κρατημοϋπόρροον", "Kratimoyporroon", Gold},
    {"e9", {{oligon}, {kratimoyporroon, Below}}, "Ολίγον με κρατημοϋπόρροον",
        "Oligon me kratimoyporroon", Gold},
    {"d6", {{koufisma}, {apostrofos, Below}}, "Κούφισμα με απόστροφο", "Koufisma me apostrofo",
        YellowGreen},
    {"d5", {{koufisma}, {elafron, Below}}, "Κούφισμα με ελαφρόν", "Koufisma me elafron",
        YellowGreen},
    {"d4", {{koufisma}, {yporroi, Below}}, "Κούφισμα με υπορροή", "Koufisma me yporroi",
        YellowGreen},
    {"d3", {{koufisma}, {chamili, Below}}, "Κούφισμα με χαμηλή", "Koufisma me chamili",
        YellowGreen},
    {"d9", {{pelaston}, {apostrofos, Below}}, "Πελαστόν με απόστροφο", "Pelaston me apostrofo",
        OliveGreen},
    {"d7", {{pelaston}, {elafron, Below}}, "Πελαστόν με ελαφρόν", "Pelaston me elafron",
        OliveGreen},
    {"d8", {{pelaston}, {yporroi, Below}}, "Πελαστόν με υπορροή", "Pelaston me yporroi",
        OliveGreen},
    {"d2", {{pelaston}, {chamili, Below}}, "Πελαστόν με χαμηλή", "Pelaston me chamili",
        OliveGreen},
    {"d11", {{oligon}, {elafron, Below}, {apostrofos, BelowStart}},
        "Ολίγον με ελαφρόν και απόστροφο", "Oligon me elafron kai apostrofo", Mauve},
    {"d10", {{oligon}, {chamili, Below}, {apostrofos, BelowStart}},
        "Ολίγον με χαμηλή και απόστροφο", "Oligon me chamili kai apostrofo", Mauve},
    {"d1", {{petasti}, {elafron, Below}, {apostrofos, BelowStart}},
        "Πεταστή με ελαφρόν και απόστροφο", "Petasti me elafron kai apostrofo", Mauve},
    {"d12", {{petasti}, {chamili, Below}, {apostrofos, BelowStart}},
        "Πεταστή με χαμηλή και απόστροφο", "Petasti me chamili kai apostrofo", Mauve},

    // other neumes
    {"e1", {{ison}}, "Ίσον", "Ison", White},
    {"e2", {{ison}, {apostrofos}}, "Ίσον και απόστροφος", "Ison kai apostrofos", White},
    {"e5", {{ison}, {oligon}}, "Ίσον και ολίγον", "Ison kai oligon", White},
    {"e10", {{kratima}}, "Κράτημα", "Kratima", Grey},
    {"e4", {{petastokoufisma}}, "Πεταστοκούφισμα", "Petastokoufisma", Grey},
    {"e7", {{kratimokoufisma}}, "Κρατημοκούφισμα", "Kratimokoufisma", Grey},
    {"f1", {{themaAploun}}, "Θέμα απλούν", "Thema aploun", White},
    {"e3", {{thesKaiApothes}}, "Θες και απόθες", "Thes kai apothes", White},
    {"e6", {{oyranisma}}, "Ουράνισμα", "Ouranisma", White},
    {"f5", {{ison}, {apli, Below, red}}, "Ίσον με στιγμή", "Ison me stigmi", Grey},
    {"f4", {{thematismosEso}}, "Θεματισμός έσω", "Thematismos eso", Grey},
    {"e8", {{thematismosExo}}, "Θεματισμός έξω", "Thematismos exo", Grey},

    // ascending neumes
    {"a1", {{oligon}}, "Ολίγον", "Oligon", Blue},
    {"a6", {{petasti}}, "Πεταστή", "Petasti", Blue},
    {"a7", {{koufisma}}, "Κούφισμα", "Koufisma", Blue},
    {"a15", {{pelaston}}, "Πελαστόν", "Pelaston", Blue},
    {"a19", {{oligon}, {ypsili, AboveEnd}}, "Ολίγον με υψηλή", "Oligon me ypsili", Teal},
    {"a17", {{petasti}, {ypsili, AboveEnd}}, "Πεταστή με υψηλή", "Petasti me ypsili", Teal},
    {"a8", {{kentimata}}, "Κεντήματα", "Kentimata", Lilac},
    {"a9", {{oligon}, {kentimata, Below}}, "Ολίγον με κεντήματα από κάτω",
        "Oligon me kentimata apo kato", Lilac},
    {"a3", {{oligon}, {kentimata, Above}}, "Ολίγον με κεντήματα από πάνω",
        "Oligon me kentimata apo pano", Lilac},
    {"a4", {{oligon}, {kentima, AboveEnd}}, "Ολίγον με κέντημα", "Oligon me kentima", Blue},
    {"a20", {{oligon}, {ypsili, AboveEnd}, {kentima, AboveStart}}, "Ολίγον με υψηλή και κέντημα",
        "Oligon me ypsili kai kentima", Teal},
    {"a18", {{petasti}, {ypsili, AboveEnd}, {kentima, AboveStart}},
        "Πεταστή με υψηλή και κέντημα", "Petasti me ypsili kai kentima", Teal},
    {"a2", {{petasti}, {kentima, AboveEnd}}, "Πεταστή με κέντημα", "Petasti me kentima", Pink},
    {"a5", {{koufisma}, {kentima, AboveEnd}}, "Κούφισμα με κέντημα", "Koufisma me kentima",
        Pink},
    {"a16", {{pelaston}, {kentima, AboveEnd}}, "Πελαστόν με κέντημα", "Pelaston me kentima",
        Pink},
    {"b1", {{oligon}, {ypsili, AboveStart}}, "Ολίγον με υψηλή στην αρχή",
        "Oligon me ypsili stin archi", Teal},
    {"b5", {{koufisma}, {ypsili, AboveEnd}}, "Κούφισμα με υψηλή", "Koufisma me ypsili", Teal},
    {"b3", {{pelaston}, {ypsili, AboveEnd}}, "Πελαστόν με υψηλή", "Pelaston me ypsili", Teal},
    {"a12", {{petasti}, {kentimata, Below}}, "Πεταστή με κεντήματα", "Petasti me kentimata",
        Purple},
    {"a13", {{koufisma}, {kentimata, Below}}, "Κούφισμα με κεντήματα", "Koufisma me kentimata",
        Purple},
    {"a14", {{pelaston}, {kentimata, Below}}, "Πελαστόν με κεντήματα", "Pelaston me kentimata",
        Purple},
    {"b2", {{oligon}, {ypsili, AboveEnd}, {kentimata, Below}}, "Ολίγον με υψηλή και κεντήματα",
        "Oligon me ypsili kai kentimata", Teal},
    {"b6", {{koufisma}, {ypsili, AboveEnd}, {kentima, AboveStart}},
        "Κούφισμα με υψηλή και κέντημα", "Koufisma me ypsili kai kentima", Teal},
    {"b4", {{pelaston}, {ypsili, AboveEnd}, {kentima, AboveStart}},
        "Πελαστόν με υψηλή και κέντημα", "Pelaston me ypsili kai kentima", Teal},

    // ascending neumes, alternate
    {"b7", {{oligon}, {kentima, Below}}, "Ολίγον με κέντημα από κάτω",
        "Oligon me kentima apo kato", Blue},
    {"b12", {{oligon}, {kentima, AboveStart}}, "Ολίγον με κέντημα στην αρχή",
        "Oligon me kentima stin archi", Blue},
    {"b14", {{oligon}, {kentima, Above}}, "Ολίγον με κέντημα στη μέση",
        "Oligon me kentima sti mesi", Blue},
    {"b9", {{petasti}, {kentima, Below}}, "Πεταστή με κέντημα από κάτω",
        "Petasti me kentima apo kato", Blue},
    {"b16", {{oligon}, {ypsili, Above}}, "Ολίγον με υψηλή στη μέση",
        "Oligon me ypsili sti mesi", Teal},
    {"b20", {{petasti}, {ypsili, AboveStart}}, "Πεταστή με υψηλή στην αρχή",
        "Petasti me ypsili stin archi", Teal},
    {"b8", {{oligon}, {oligon, Above}}, "Ολίγον επί ολίγου", "Oligon epi oligou", Lilac},
    {"b15", {{oligon}, {kentimata, Below}, {kentima, AboveEnd}},
        "Ολίγον με κεντήματα και κέντημα", "Oligon me kentimata kai kentima", Lilac},
    {"b13", {{petasti}, {kentimata, Below}, {kentima, AboveEnd}},
        "Πεταστή με κεντήματα και κέντημα", "Petasti me kentimata kai kentima", Lilac},
    {"b10", {{koufisma}, {kentimata, Below}, {kentima, AboveEnd}},
        "Κούφισμα με κεντήματα και κέντημα", "Koufisma me kentimata kai kentima", Lilac},
    {"b17", {{oligon}, {ypsili, AboveEnd}, {kentima, AboveStart}, {kentimata, Below}},
        "Ολίγον με υψηλή, κέντημα και κεντήματα", "Oligon me ypsili, kentima kai kentimata",
        Teal},
    {"b11", {{petasti}, {ypsili, AboveEnd}, {kentimata, Below}}, "Πεταστή με υψηλή και κεντήματα",
        "Petasti me ypsili kai kentimata", Teal},
    {"b19", {{oligon}, {ypsili, AboveStart}, {kentima, AboveEnd}},
        "Ολίγον με υψηλή στην αρχή και κέντημα", "Oligon me ypsili stin archi kai kentima", Teal},
    {"b18", {{kentimata}, {oligon}}, "Κεντήματα και ολίγον", "Kentimata kai oligon", Teal},

    // martyria chart: mode signs, each with the note it starts from above it
    {"ark1", {{martyriaProtos}, {arktikoPa, Above}}, "Ήχος α΄, Πα", "Ichos a', Pa", Orange},
    {"ark2", {{martyriaProtos}, {arktikoKe, Above}}, "Ήχος α΄, Κε", "Ichos a', Ke", Orange},
    {"ark3", {{martyriaProtos}, {arktikoDi, Above}}, "Ήχος α΄, Δι", "Ichos a', Di", Orange},
    {"ark4", {{martyriaProtos}, {arktikoPa, Above}, {fthoraDiatonikiPa, Next, red}},
        "Ήχος α΄, Πα με φθορά", "Ichos a', Pa me fthora", Orange},
    {"ark5", {{martyriaAlliProtos}, {arktikoPa, Above}},
        "Ήχος α΄, Πα (άλλη μαρτυρία)", "Ichos a', Pa (alli martyria)", Orange},
    {"ark6", {{martyriaProtos}, {arktikoKe, Above}, {fanerosisTetrafonias}},
        "Ήχος α΄ τετράφωνος, Κε", "Ichos a' tetrafonos, Ke", Orange},
    {"ark7", {{martyriaDeyteros}, {arktikoDi, Above}, {fthoraMalakonChromaDifonias, Next, red}},
        "Ήχος β΄, Δι με φθορά", "Ichos v', Di me fthora", Pink},
    {"ark8", {{martyriaDeyteros}, {arktikoVou, Above}}, "Ήχος β΄, Βου", "Ichos v', Vou", Pink},
    {"ark9", {{martyriaAlliDeyteros}, {arktikoDi, Above}},
        "Ήχος β΄, Δι (άλλη μαρτυρία)", "Ichos v', Di (alli martyria)", Pink},
    {"ark10", {{martyriaDeyteros}, {arktikoDi, Above}}, "Ήχος β΄, Δι", "Ichos v', Di", Pink},
    {"ark11", {{martyriaAlliDeyteros}, {arktikoVou, Above}},
        "Ήχος β΄, Βου (άλλη μαρτυρία)", "Ichos v', Vou (alli martyria)", Pink},
    {"ark44", {{fanerosisTetrafonias}}, "Φανέρωσις τετραφωνίας", "Fanerosis tetrafonias", Tan},
    {"ark45", {{fanerosisMonofonias}}, "Φανέρωσις μονοφωνίας", "Fanerosis monofonias", Tan},
    {"ark46", {{fanerosisDifonias}}, "Φανέρωσις διφωνίας", "Fanerosis difonias", Tan},
    {"ark12", {{martyriaTritos}, {arktikoGa, Above}}, "Ήχος γ΄, Γα", "Ichos g', Ga", Green},
    {"ark13", {{martyriaTrifonias}, {arktikoGa, Above}},
        "Ήχος γ΄ τρίφωνος, Γα", "Ichos g' trifonos, Ga", Green},
    {"ark14", {{martyriaTritos}, {arktikoGa, Above}, {fthoraDiatonikiNana, Next, red}},
        "Ήχος γ΄, Γα με φθορά νανά", "Ichos g', Ga me fthora nana", Green},
    {"ark15", {{martyriaTritos}, {arktikoKe, Above}}, "Ήχος γ΄, Κε", "Ichos g', Ke", Green},
    {"ark16", {{martyriaTetartos}, {arktikoDi, Above}}, "Ήχος δ΄, Δι", "Ichos d', Di", Grey},
    {"ark17", {{martyriaTetartos}, {arktikoPa, Above}}, "Ήχος δ΄, Πα", "Ichos d', Pa", Grey},
    {"ark18", {{martyriaTetartosLegetos}, {arktikoVou, Above}},
        "Ήχος δ΄ λέγετος, Βου", "Ichos d' legetos, Vou", Grey},
    {"ark19", {{martyriaTetartos}, {arktikoKe, Above}}, "Ήχος δ΄, Κε", "Ichos d', Ke", Grey},
    {"ark20", {{martyriaLegetos}}, "Λέγετος", "Legetos", Grey},
    {"ark21", {{martyriaTetartos}, {arktikoGa, Above}}, "Ήχος δ΄, Γα", "Ichos d', Ga", Grey},
    {"ark22", {{martyriaTetartos}, {arktikoVou, Above}}, "Ήχος δ΄, Βου", "Ichos d', Vou", Grey},
    {"ark23", {{martyriaTetartos}, {arktikoZo, Above}}, "Ήχος δ΄, Ζω", "Ichos d', Zo", Grey},
    {"ark47", {{isakiaTelousIchimatos}}, "Ισάκια τέλους ηχήματος", "Isakia telous ichimatos",
        Tan},
    {"ark48", {{apostrofoiTelousIchimatos}}, "Απόστροφοι τέλους ηχήματος",
        "Apostrofoi telous ichimatos", Tan},
    {"ark24", {{martyriaPlagios}, {martyriaProtos}, {arktikoPa, Above}},
        "Ήχος πλ. α΄, Πα", "Ichos pl. a', Pa", LightBlue},
    {"ark25", {{martyriaPlagios}, {martyriaProtos}, {arktikoKe, Above}},
        "Ήχος πλ. α΄, Κε", "Ichos pl. a', Ke", LightBlue},
    {"ark26", {{martyriaPlagios}, {martyriaProtos}, {arktikoPa, Above},
        {fthoraDiatonikiPa, Next, red}},
        "Ήχος πλ. α΄, Πα με φθορά", "Ichos pl. a', Pa me fthora", LightBlue},
    {"ark27", {{martyriaPlagios}, {martyriaAlliProtos}, {arktikoPa, Above}},
        "Ήχος πλ. α΄, Πα (άλλη μαρτυρία)", "Ichos pl. a', Pa (alli martyria)", LightBlue},
    {"ark36", {{martyriaPlagios}, {martyriaDeyteros}, {arktikoPa, Above}},
        "Ήχος πλ. β΄, Πα", "Ichos pl. v', Pa", Lilac},
    {"ark37", {{martyriaPlagios}, {martyriaDeyteros}, {arktikoDi, Above}},
        "Ήχος πλ. β΄, Δι", "Ichos pl. v', Di", Lilac},
    {"ark38", {{martyriaPlagios}, {martyriaDeyteros}, {arktikoPa, Above},
        {fthoraSklironChromaVasis, Next, red}},
        "Ήχος πλ. β΄, Πα με φθορά", "Ichos pl. v', Pa me fthora", Lilac},
    {"ark39", {{martyriaPlagios}, {martyriaAlliDeyteros}, {arktikoPa, Above}},
        "Ήχος πλ. β΄, Πα (άλλη μαρτυρία)", "Ichos pl. v', Pa (alli martyria)", Lilac},
    {"ark40", {{martyriaPlagios}, {martyriaAlliDeyteros}, {arktikoDi, Above}},
        "Ήχος πλ. β΄, Δι (άλλη μαρτυρία)", "Ichos pl. v', Di (alli martyria)", Lilac},
    {"ark41", {{martyriaPlagios}, {martyriaDeyteros}, {arktikoKe, Above}},
        "Ήχος πλ. β΄, Κε", "Ichos pl. v', Ke", Lilac},
    {"ark42", {{martyriaPlagios}, {martyriaDeyteros}, {arktikoNi, Above}},
        "Ήχος πλ. β΄, Νη", "Ichos pl. v', Ni", Lilac},
    {"ark43", {{martyriaPlagios}, {martyriaDeyteros}, {arktikoDi, Above},
        {fthoraSklironChromaSynafi, Next, red}},
        "Ήχος πλ. β΄, Δι με φθορά", "Ichos pl. v', Di me fthora", Lilac},
    {"ark28", {{martyriaVarys}, {arktikoZo, Above}}, "Ήχος βαρύς, Ζω", "Ichos varys, Zo", Yellow},
    {"ark29", {{martyriaVarys}, {arktikoGa, Above}}, "Ήχος βαρύς, Γα", "Ichos varys, Ga", Yellow},
    {"ark30", {{martyriaVarys}, {arktikoZo, Above}, {fthoraEnarmoniosAntifonia, Next, red}},
        "Ήχος βαρύς, Ζω με φθορά", "Ichos varys, Zo me fthora", Yellow},
    {"ark31", {{martyriaProtovarys}, {arktikoGa, Above}},
        "Ήχος πρωτόβαρυς, Γα", "Ichos protovarys, Ga", Yellow},
    {"ark32", {{martyriaPlagiosTetartos}, {arktikoNi, Above}},
        "Ήχος πλ. δ΄, Νη", "Ichos pl. d', Ni", Yellow},
    {"ark33", {{martyriaPlagiosTetartos}, {arktikoGa, Above}},
        "Ήχος πλ. δ΄, Γα", "Ichos pl. d', Ga", Yellow},
    {"ark34", {{martyriaPlagiosTetartos}, {arktikoPa, Above}},
        "Ήχος πλ. δ΄, Πα", "Ichos pl. d', Pa", Yellow},
    {"ark35", {{martyriaPlagiosTetartos}, {arktikoNi, Above}, {fthoraDiatonikiNiKato, Next, red}},
        "Ήχος πλ. δ΄, Νη με φθορά", "Ichos pl. d', Ni me fthora", Yellow},

    // martyria chart, lower picture: labels, then the single signs
    {"mh1", {{"Ήχος"}}, "Ήχος", "Ichos", White},
    {"mh2", {{"πλ."}}, "Πλάγιος", "Plagios", White},
    {"mh3", {{"α\u0374"}}, "Πρώτος", "Protos", White},
    {"mh4", {{"β\u0374"}}, "Δεύτερος", "Defteros", White},
    {"mh5", {{"γ\u0374"}}, "Τρίτος", "Tritos", White},
    {"mh6", {{"δ\u0374"}}, "Τέταρτος", "Tetartos", White},
    {"mh7", {{"βαρύς"}}, "Βαρύς", "Varys", White},
    {"mh9", {{"Νη"}}, "Νη", "Ni", White},
    {"mh10", {{"Πα"}}, "Πα", "Pa", White},
    {"mh11", {{"Βου"}}, "Βου", "Vou", White},
    {"mh12", {{"Γα"}}, "Γα", "Ga", White},
    {"mh13", {{"Δι"}}, "Δι", "Di", White},
    {"mh14", {{"Κε"}}, "Κε", "Ke", White},
    {"mh15", {{"Ζω"}}, "Ζω", "Zo", White},
    {"mh16", {{martyriaAlliProtos}}, "Άλλη μαρτυρία πρώτου ήχου", "Alli martyria protou ichou",
        White},
    {"mh17", {{martyriaAlliDeyteros}}, "Άλλη μαρτυρία δευτέρου ήχου",
        "Alli martyria defterou ichou", White},
    {"mh18", {{martyriaProtos}}, "Μαρτυρία πρώτου ήχου", "Martyria protou ichou", White},
    {"mh19", {{martyriaTetartos}}, "Μαρτυρία τετάρτου ήχου", "Martyria tetartou ichou", White},
    {"mh20", {{martyriaTritos}}, "Μαρτυρία τρίτου ήχου", "Martyria tritou ichou", White},
    {"mh21", {{martyriaTrifonias}}, "Μαρτυρία τριφωνίας", "Martyria trifonias", White},
    {"mh22", {{martyriaDeyteros}}, "Μαρτυρία δευτέρου ήχου", "Martyria defterou ichou", White},
    {"mh23", {{martyriaTetartosLegetos}}, "Μαρτυρία τετάρτου λέγετου",
        "Martyria tetartou legetou", White},
    {"mh24", {{martyriaPlagios}}, "Μαρτυρία πλαγίου ήχου", "Martyria plagiou ichou", White},
    {"mh25", {{martyriaPlagiosTetartos}}, "Μαρτυρία πλαγίου τετάρτου ήχου",
        "Martyria plagiou tetartou ichou", White},
    {"mh26", {{martyriaVarys}}, "Μαρτυρία βαρέως ήχου", "Martyria vareos ichou", White},
    {"mh27", {{martyriaLegetos}}, "Μαρτυρία λέγετου ήχου", "Martyria legetou ichou", White},
    {"mh28", {{isakiaTelousIchimatos}}, "Ισάκια τέλους ηχήματος", "Isakia telous ichimatos",
        White},
    {"mh29", {{martyriaProtovarys}}, "Μαρτυρία πρωτοβάρεως ήχου", "Martyria protovareos ichou",
        White},
    {"mh30", {{fanerosisDifonias}}, "Φανέρωσις διφωνίας", "Fanerosis difonias", White},
    {"mh31", {{fanerosisMonofonias}}, "Φανέρωσις μονοφωνίας", "Fanerosis monofonias", White},
    {"mh32", {{fanerosisTetrafonias}}, "Φανέρωσις τετραφωνίας", "Fanerosis tetrafonias", White},
    {"mh33", {{apostrofoiTelousIchimatos}}, "Απόστροφοι τέλους ηχήματος",
        "Apostrofoi telous ichimatos", White},

    // various-signs chart: note indications, the letter above the hook, then below it
    {"en1", {{stigma, Next, red, 1.8}, {"ν", Above}}, "Ένδειξη φθόγγου Νη", "Endeixi fthongou Ni",
        White},
    {"en2", {{stigma, Next, red, 1.8}, {"π", Above}}, "Ένδειξη φθόγγου Πα", "Endeixi fthongou Pa",
        White},
    {"en3", {{stigma, Next, red, 1.8}, {"β", Above}}, "Ένδειξη φθόγγου Βου", "Endeixi fthongou Vou",
        White},
    {"en4", {{stigma, Next, red, 1.8}, {"γ", Above}}, "Ένδειξη φθόγγου Γα", "Endeixi fthongou Ga",
        White},
    {"en5", {{stigma, Next, red, 1.8}, {"δ", Above}}, "Ένδειξη φθόγγου Δι", "Endeixi fthongou Di",
        White},
    {"en6", {{stigma, Next, red, 1.8}, {"κ", Above}}, "Ένδειξη φθόγγου Κε", "Endeixi fthongou Ke",
        White},
    {"en7", {{stigma, Next, red, 1.8}, {"ζ", Above}}, "Ένδειξη φθόγγου Ζω", "Endeixi fthongou Zo",
        White},
    {"en8", {{stigma, Next, red, 1.8}, {"ν\u0374", Above}}, "Ένδειξη φθόγγου Νη άνω",
        "Endeixi fthongou Ni ano", White},
    {"en9", {{stigma, Next, red, 1.8}, {"ν", Below}}, "Ένδειξη φθόγγου Νη, κάτω",
        "Endeixi fthongou Ni, kato", White},
    {"en10", {{stigma, Next, red, 1.8}, {"π", Below}}, "Ένδειξη φθόγγου Πα, κάτω",
        "Endeixi fthongou Pa, kato", White},
    {"en11", {{stigma, Next, red, 1.8}, {"β", Below}}, "Ένδειξη φθόγγου Βου, κάτω",
        "Endeixi fthongou Vou, kato", White},
    {"en12", {{stigma, Next, red, 1.8}, {"γ", Below}}, "Ένδειξη φθόγγου Γα, κάτω",
        "Endeixi fthongou Ga, kato", White},
    {"en13", {{stigma, Next, red, 1.8}, {"δ", Below}}, "Ένδειξη φθόγγου Δι, κάτω",
        "Endeixi fthongou Di, kato", White},
    {"en14", {{stigma, Next, red, 1.8}, {"κ", Below}}, "Ένδειξη φθόγγου Κε, κάτω",
        "Endeixi fthongou Ke, kato", White},
    {"en15", {{stigma, Next, red, 1.8}, {"ζ", Below}}, "Ένδειξη φθόγγου Ζω, κάτω",
        "Endeixi fthongou Zo, kato", White},
    {"en16", {{stigma, Next, red, 1.8}, {"ν\u0374", Below}}, "Ένδειξη φθόγγου Νη άνω, κάτω",
        "Endeixi fthongou Ni ano, kato", White},

    // various-signs chart: bar lines on the line of text, and measures
    {"dm1", {{diastoliApliMegali}, {baseLine, Below, grey}}, "Απλή διαστολή", "Apli diastoli",
        White},
    {"dm2", {{diastoliDipli}, {baseLine, Below, grey}}, "Διπλή διαστολή", "Dipli diastoli",
        White},
    {"dm3", {{diastoliTheseos}, {baseLine, Below, grey}}, "Διαστολή θέσεως", "Diastoli theseos",
        White},
    {"dm4", {{diastoliApliMikri}, {"2", Above, red}}, "Διαστολή δίσημου μέτρου",
        "Diastoli disimou metrou", White},
    {"dm5", {{diastoliApliMikri}, {"3", Above, red}}, "Διαστολή τρίσημου μέτρου",
        "Diastoli trisimou metrou", White},
    {"dm6", {{diastoliApliMikri}, {"4", Above, red}}, "Διαστολή τετράσημου μέτρου",
        "Diastoli tetrasimou metrou", White},
    {"dm7", {{diastoliApliMikri}, {baseLine, Below, grey}}, "Μικρή διαστολή", "Mikri diastoli",
        White},
    {"dm8", {{simansisTheseos}, {baseLine, Below, grey}}, "Σήμανση θέσεως", "Simansi theseos",
        White},
    {"dm9", {{simansisArseos}, {baseLine, Below, grey}}, "Σήμανση άρσεως", "Simansi arseos",
        White},
    {"dm10", {{"2", Next, red}}, "Δίσημο μέτρο", "Disimo metro", White},
    {"dm11", {{"3", Next, red}}, "Τρίσημο μέτρο", "Trisimo metro", White},
    {"dm12", {{"4", Next, red}}, "Τετράσημο μέτρο", "Tetrasimo metro", White},
    {"dm13", {{"5", Next, red}}, "Πεντάσημο μέτρο", "Pentasimo metro", White},
    {"dm14", {{"6", Next, red}}, "Εξάσημο μέτρο", "Exasimo metro", White},
    {"dm15", {{"7", Next, red}}, "Επτάσημο μέτρο", "Eptasimo metro", White},
    {"dm16", {{"8", Next, red}}, "Οκτάσημο μέτρο", "Oktasimo metro", White},

    // various-signs chart: reference marks
    {"par1", {{"*"}}, "Αστερίσκος", "Asteriskos", White},
    {"par2", {{"*"}, {"1"}}, "Αστερίσκος 1", "Asteriskos 1", White},
    {"par3", {{"*"}, {"2"}}, "Αστερίσκος 2", "Asteriskos 2", White},
    {"par4", {{"\u2702"}}, "Ψαλίδι", "Psalidi", White},
};
// clang-format on

} // namespace

std::span<const Row> rows()
{
    return table;
}

const Row *find(QStringView command)
{
    static const QHash<QString, const Row *> index = [] {
        QHash<QString, const Row *> byCommand;
        for (const Row &row : table)
            byCommand.insert(QString::fromLatin1(row.command), &row);
        return byCommand;
    }();
    return index.value(command.toString(), nullptr);
}

std::span<const Glyph> glyphs(const Row &row)
{
    std::size_t count = 0;
    while (count < std::size(row.glyphs) && row.glyphs[count].text)
        ++count;
    return {row.glyphs, count};
}

QString displayName(const Row &row)
{
    return QStringLiteral("%1 (%2)").arg(
        QString::fromUtf8(row.greek), QString::fromUtf8(row.latin));
}

} // namespace SignTable
