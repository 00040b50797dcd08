// JsonString, FormatReport, FormatCopiesReport and WriteTextFile.
#include "cli/JsonReport.h"

#include <cstdio>

#include "FileUti2/ReplaceFile.h"
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

std::string Record(const ReportEntry& e) {
  return "{\"entry\": " + JsonString(e.entry) +
         ", \"path\": " + (e.path ? JsonString(*e.path) : "null") +
         ", \"stored\": " + JsonString(e.stored) +
         ", \"computed\": " + (e.computed ? "\"" + Hex8(*e.computed) + "\"" : "null") +
         ", \"outcome\": " + JsonString(e.outcome) + "}";
}

template <typename T, typename Format>
std::string Array(const std::vector<T>& items, Format format) {
  if (items.empty()) return "[]";
  std::string json = "[\n";
  for (std::size_t i = 0; i < items.size(); ++i)
    json += "    " + format(items[i]) + (i + 1 < items.size() ? ",\n" : "\n");
  return json + "  ]";
}

}  // namespace

std::string FormatReport(const Report& report) {
  return "{\n  \"project\": " + JsonString(report.project) +
         ",\n  \"copy\": " + JsonString(report.copy) +
         ",\n  \"interrupted\": " + (report.interrupted ? "true" : "false") +
         ",\n  \"status\": " + std::to_string(report.status) +
         ",\n  \"entries\": " + Array(report.entries, Record) + ",\n  \"extra\": " +
         (report.extra ? Array(*report.extra,
                               [](const ExtraFile& e) {
                                 return "{\"path\": " + JsonString(e.path) +
                                        ", \"kind\": " + JsonString(e.kind) + "}";
                               })
                       : "null") +
         "\n}\n";
}

std::string FormatCopiesReport(const std::string& project, bool interrupted, int status,
                               const std::vector<Report>& copies) {
  std::string json = "{\n  \"project\": " + JsonString(project) +
                     ",\n  \"interrupted\": " + (interrupted ? "true" : "false") +
                     ",\n  \"status\": " + std::to_string(status) + ",\n  \"copies\": [";
  for (std::size_t i = 0; i < copies.size(); ++i) {
    // Each copy's report one level in: every line but its last moved four spaces right (no
    // string holds a line break, JsonString escapes them).
    std::string record = FormatReport(copies[i]);
    record.pop_back();
    std::string indented = "\n    ";
    for (const char c : record) {
      if (c == '\n')
        indented.append("\n    ");
      else
        indented.push_back(c);
    }
    json += indented + (i + 1 < copies.size() ? "," : "");
  }
  return json + "\n  ]\n}\n";
}

void WriteTextFile(const std::string& path, std::string_view text) {
  ReplaceFileBytes(path, text);
}

}  // namespace kelvane::cli
