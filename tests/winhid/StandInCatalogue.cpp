#include "StandInCatalogue.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace vexaro::standin {
namespace {

std::string Ids(const std::vector<std::uint8_t>& ids) {
  if (ids.empty()) return "-";
  std::string text;
  for (std::uint8_t id : ids) text += (text.empty() ? "" : ",") + std::to_string(id);
  return text;
}

std::vector<std::uint8_t> ParseIds(const std::string& text) {
  std::vector<std::uint8_t> ids;
  if (text == "-") return ids;
  std::istringstream in(text);
  for (std::string id; std::getline(in, id, ',');)
    ids.push_back(static_cast<std::uint8_t>(std::stoi(id)));
  return ids;
}

std::string Lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

std::string FormatCatalogue(const Catalogue& catalogue) {
  std::ostringstream out;
  if (catalogue.setupFails) out << "fail setupapi\n";
  for (const CatalogueEntry& e : catalogue.interfaces) {
    out << "interface " << e.path << std::hex << ' ' << e.vendorId << ' ' << e.productId << std::dec
        << ' ' << e.input << ' ' << e.output << ' ' << Ids(e.inputIds) << ' ' << Ids(e.outputIds)
        << (e.noCaps ? " nocaps" : "") << '\n';
  }
  return out.str();
}

Catalogue ParseCatalogue(const std::string& text) {
  Catalogue catalogue;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    if (kind == "fail") catalogue.setupFails = true;
    if (kind != "interface") continue;
    CatalogueEntry e;
    std::string inputIds, outputIds;
    in >> e.path >> std::hex >> e.vendorId >> e.productId >> std::dec >> e.input >> e.output >>
        inputIds >> outputIds;
    e.inputIds = ParseIds(inputIds);
    e.outputIds = ParseIds(outputIds);
    for (std::string flag; in >> flag;) {
      e.noCaps |= flag == "nocaps";
    }
    catalogue.interfaces.push_back(e);
  }
  return catalogue;
}

bool NamesEntry(const std::string& openName, const std::string& path) {
  // \\.\pipe\NAME opens as \NAME; C:\folder\file as \folder\file.
  std::string tail = path;
  if (Lower(tail).rfind(R"(\\.\pipe)", 0) == 0) {
    tail = tail.substr(8);
  } else if (tail.size() > 2 && tail[1] == ':') {
    tail = tail.substr(2);
  }
  return !openName.empty() && Lower(openName) == Lower(tail);
}

}  // namespace vexaro::standin
