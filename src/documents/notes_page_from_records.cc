#include <string_view>

#include "builtin/text_lines.h"
#include "documents/documents_from_scenario.h"
#include "documents/kilometric_points.h"

namespace scenario {
namespace {

// "+5%", "0%", "-3%": the steepest gradient as the built-in page writes it.
std::string gradient_text(int32_t gradient) {
  return (gradient > 0 ? "+" : "") + std::to_string(gradient) + "%";
}

// Minutes from the first station's departure to the last one's arrival,
// across midnight when the clock passes it.
std::string service_minutes(const std::vector<station_fact>& stations) {
  if (stations.size() < 2 || stations.front().time_s == 0 || stations.back().time_s == 0)
    return "-";
  constexpr int64_t kDay = 24 * 3600;
  const int64_t seconds =
      ((int64_t{stations.back().time_s} - stations.front().time_s) % kDay + kDay) % kDay;
  return std::to_string(seconds / 60) + " MINUTI DI SERVIZIO E 0 DI MANOVRA";
}

std::string time_at(const station_fact& s, std::string_view preposition) {
  return s.time_s == 0 ? "-"
                       : timetable_time(s.time_s) + " " + std::string(preposition) + " " +
                             single_line(s.name);
}

std::vector<std::string> technical_lines(const scenario_facts& f, const document_texts& t) {
  const bool any = !f.stations.empty();
  // clang-format off
  return {
      "Linea simulata    : " + t.line_name,
      "tratto simulato   : " + (any ? single_line(f.stations.front().name + " - " + f.stations.back().name) : "-"),
      "Lunghezza percorso: " + kilometres_text(f.route_length) + " M",
      "Velocit\xE0 massima  : " + std::to_string(f.top_speed) + " KMH",
      "N\xB0 stazioni       : " + std::to_string(f.stations.size()),
      "Bivi presenti     : 0",
      "Durata percorso   : " + service_minutes(f.stations),
      "Pendenza massima  : " + gradient_text(f.top_gradient),
      "Gallerie presenti : " + std::to_string(f.tunnels) + " per un totale di " +
          std::to_string(f.tunnel_metres) + " M",
      "Segnali           : " + std::to_string(f.signals),
      "Rallentamenti     : " + std::to_string(f.slowdowns.size()),
      "Partenza          : " + (any ? time_at(f.stations.front(), "da") : "-"),
      "Arrivo            : " + (any ? time_at(f.stations.back(), "a") : "-"),
  };
  // clang-format on
}

}  // namespace

std::string notes_page_from_records(const scenario_facts& facts, const document_texts& texts,
                                    const std::optional<std::vector<std::string>>& notes) {
  std::vector<std::string> lines = {"Buongiorno guidatori!", "",
                                    "CARATTERISTICHE TECNICHE DEL TRATTO SIMULATO:", ""};
  for (std::string& line : technical_lines(facts, texts)) lines.push_back(std::move(line));
  if (notes) {
    lines.emplace_back("");
    lines.insert(lines.end(), notes->begin(), notes->end());
  }
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  return join_crlf(views);
}

}  // namespace scenario
