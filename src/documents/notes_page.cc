#include "documents/notes_page.h"

#include <array>
#include <string_view>

#include "builtin/text_lines.h"

namespace scenario {
namespace {

// Prose is wrapped by hand at about 97 columns, the width of the drivers'
// read-me viewers; a few lines keep a trailing blank where the text was cut.
// clang-format off
constexpr auto kNoteLines = std::to_array<std::string_view>({
    "Buongiorno guidatori!",
    "",
    "CARATTERISTICHE TECNICHE DEL TRATTO SIMULATO:",
    "",
    "Linea simulata    : Milano - Lecco - Sondrio",
    "tratto simulato   : Milano C.le - Lecco",
    "Lunghezza percorso: 50.000 M",
    "Velocit\xE0 massima  : 120 KMH",
    "N\xB0 stazioni       : 13",
    "Bivi presenti     : 0",
    "Tratto gestito da : FS",
    "Durata percorso   : 50 MINUTI DI SERVIZIO E 0 DI MANOVRA",
    "Pendenza massima  : +5% ",
    "Gallerie presenti : 3 per un totale di 2250 M",
    "",
    "INTRO:",
    "",
    "Con questo scenario vi propongo di condurre il treno locale 5244 da Milano Centrale a Lecco,",
    "l'ultima corsa della notte sulla linea per Sondrio: partenza alle 0.25, con 4 vetture.",
    "Lasciato il grande fascio di Milano Centrale si passa da Greco Pirelli e Sesto San Giovanni,",
    "poi, dopo Monza, si attraversa la Brianza: Arcore, Carnate, Osnago, Cernusco - Merate e Olgiate.",
    "Nell'ultimo tratto la linea scende verso l'Adda e il lago, con tre gallerie prima di Lecco.",
    "Buon viaggio a tutti, e occhio al rallentamento tra Monza e Arcore!",
    "",
    "NOTE DELLA SIMULAZIONE:",
    "",
    "Il treno \xE8 composto da 4 vetture perch\xE8 \xE8 l'ultimo treno in partenza da Milano prima della tregua",
    "notturna, le progressive chilometriche sono reali, l'altimetria \xE8 simile, la planimetria \xE8 ",
    "inventata a tratti (al posto di noiosi rettilini mi sono concesso curve a raggio enorme) il treno",
    "locale 5244 \xE8 un treno reale di sola seconda classe, a Lecco entrata in percorso deviato (30 KMH)",
    "I segnali sono tutti a via libera perch\xE8 la tratta a quell'ora \xE8 libera e non trafficata, c'\xE8 un ",
    "rallentamento inventato (per animare la simulazione) di 750 M da percorrere a 30 KMH (vedi scheda",
    "rallentamente, il tratto di lavori \xE8 simulato con due curve secche quasi a gomito, spero lo",
    "scenario vi piaccia",
    "",
    "DATI PERSONALI",
    "",
    "Scenario ideato e realizzato dall'autore dello scenario, appassionato di guida ferroviaria.",
    "I dati del tratto sono stati raccolti dall'autore dello scenario da orari e carte della linea,",
    "poi adattati dove serviva per rendere la guida pi\xF9 varia e piacevole.",
    "Segnalazioni e suggerimenti sono benvenuti tramite i canali da cui avete scaricato lo scenario.",
    "",
    "AVVISO!!!:",
    "",
    "Questo scenario \xE8 distribuito gratuitamente (freeware) ed \xE8 destinato al solo uso personale:",
    "non pu\xF2 essere venduto n\xE9 incluso in raccolte a pagamento senza il consenso dell'autore.",
    "Lo scenario non \xE8 un documento ufficiale: la scheda treno, l'ordine di rallentamento e",
    "queste note servono solo alla simulazione e non valgono per la circolazione reale dei treni.",
    "La linea reale e il suo orario possono differire da quanto riprodotto qui: in particolare",
    "il rallentamento tra Monza e Arcore \xE8 inventato e i segnali sono tutti a via libera.",
    "L'autore dello scenario non risponde di alcun danno derivante dall'uso dello scenario.",
    "",
    "Critiche, commenti e consigli sono sempre graditi: scriveteli all'autore dello scenario!",
});
// clang-format on
static_assert(kNoteLines.size() == 53);

}  // namespace

std::string dati_note() { return join_crlf(kNoteLines); }

}  // namespace scenario
