// JsonString, WriteReport and WriteCopiesReport.
#include "cli/JsonReport.h"

#include <cstdio>

#include "FileUti2/TextEncoding.h"
#include "project/ValueEntry.h"

namespace kelvane::cli {

std::string JsonString(std::string_view bytes) {
  const std::string text = DisplayUtf8(bytes);
  std::string json = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\b':
        json += "\\b";
        break;
      case '\f':
        json += "\\f";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

namespace {

std::string HexOrNull(const std::optional<std::uint32_t>& sum) {
  return sum ? "\"" + Hex8(*sum) + "\"" : "null";
}

std::string DigestOrNull(const std::optional<Digest>& sum) {
  return sum ? "\"" + DigestHex(*sum) + "\"" : "null";
}

std::string Sha256OrNull(const std::optional<Digest>& sum) {
  return sum && sum->type == kSha256Type ? DigestOrNull(sum) : "null";
}

// A project's entry: its CRC-32 and CheckSum19, and its SHA-256 where it has one. A published
// list's: its own sum under "stored" and "computed", named by "algorithm".
std::string Record(const ReportEntry& e) {
  const std::string sums =
      e.published ? ", \"algorithm\": " + JsonString(DigestName(e.storedDigest->type)) +
                        ", \"stored\": " + DigestOrNull(e.storedDigest) +
                        ", \"computed\": " + DigestOrNull(e.computedDigest) +
                        ", \"storedCheckSum19\": null, \"computedCheckSum19\": null"
                  : ", \"algorithm\": \"Kelvane\", \"stored\": " + JsonString(e.stored) +
                        ", \"computed\": " + HexOrNull(e.computed) +
                        ", \"storedCheckSum19\": " + JsonString(e.storedCheckSum19) +
                        ", \"computedCheckSum19\": " + HexOrNull(e.computedCheckSum19);
  return "{\"entry\": " + JsonString(e.entry) +
         ", \"path\": " + (e.path ? JsonString(*e.path) : "null") + sums +
         ", \"storedSha256\": " + Sha256OrNull(e.storedDigest) +
         ", \"computedSha256\": " + Sha256OrNull(e.computedDigest) +
         ", \"outcome\": " + JsonString(e.outcome) +
         ", \"reason\": " + (e.reason ? JsonString(*e.reason) : "null") + "}";
}

std::string ExtraRecord(const ExtraFile& e) {
  return "{\"path\": " + JsonString(e.path) + ", \"kind\": " + JsonString(e.kind) + "}";
}

// "[", the items one a line, "]"; "[]" when there are none. record(i) gives item i.
template <typename Record>
void WriteArray(int count, Record record, const ReportWrite& write, const std::string& indent) {
  if (count == 0) return write("[]");
  write("[\n");
  for (int i = 0; i < count; ++i)
    write(indent + "    " + record(i) + (i + 1 < count ? ",\n" : "\n"));
  write(indent + "  ]");
}

}  // namespace

void WriteReport(const Report& report, const ReportWrite& write, const std::string& indent) {
  const std::string in = "\n" + indent + "  ";
  // What the list is, and that a signed one's signature was not checked: Kelvane reads it, the
  // user's own tool verifies it.
  const std::optional<ListOrigin>& published = report.entries->Checked().Published();
  write("{" + in + "\"project\": " + JsonString(report.project) + "," + in +
        "\"copy\": " + JsonString(report.copy) + "," + in +
        "\"format\": " + JsonString(published ? published->format : "Kelvane project") + "," + in +
        "\"signature\": " + (published && published->clearsigned ? "\"not verified\"" : "null") +
        "," + in + "\"interrupted\": " + (report.interrupted ? "true" : "false") + "," + in +
        "\"status\": " + std::to_string(report.status) + "," + in + "\"entries\": ");
  const EntryResults& entries = *report.entries;
  WriteArray(
      entries.Count(), [&entries](int i) { return Record(entries.Entry(i)); }, write, indent);
  write("," + in + "\"extra\": ");
  if (report.extra) {
    const std::vector<ExtraFile>& extra = *report.extra;
    WriteArray(
        static_cast<int>(extra.size()),
        [&extra](int i) { return ExtraRecord(extra[static_cast<std::size_t>(i)]); }, write, indent);
  } else {
    write("null");
  }
  write("\n" + indent + "}");
}

void WriteCopiesReport(const std::string& project, bool interrupted, int status,
                       const std::vector<Report>& copies, const ReportWrite& write) {
  write("{\n  \"project\": " + JsonString(project) +
        ",\n  \"interrupted\": " + (interrupted ? "true" : "false") +
        ",\n  \"status\": " + std::to_string(status) + ",\n  \"copies\": [");
  for (std::size_t i = 0; i < copies.size(); ++i) {
    write("\n    ");
    WriteReport(copies[i], write, "    ");
    if (i + 1 < copies.size()) write(",");
  }
  write("\n  ]\n}\n");
}

}  // namespace kelvane::cli
