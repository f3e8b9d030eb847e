#include "checker/output.h"

#include <algorithm>
#include <cstdio>

#include "checker/host.h"
#include "checker/report.h"
#include "platform/seam.h"
#include "portable/emulation/utf8.h"

namespace check {

namespace {

// The version of the JSON output's form; it grows when its meaning changes.
constexpr int kJsonFormatVersion = 1;
const char kSarifSchema[] =
    "https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/"
    "sarif-schema-2.1.0.json";

const char* SeverityName(Severity severity) {
  return severity == Severity::kNote ? "note" : "warning";
}

bool IsFolderFile(const std::string& file) {
  return file.find_first_of("/\\") == std::string::npos;
}

// A JSON string of any text: 8-bit text that is not UTF-8 is read as the
// launchers show it (code page 1252).
std::string Json(const std::string& raw) {
  const std::string text = emulation::AsUtf8(raw);
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Number(unsigned long n) { return std::to_string(n); }

// What goes before the element `index` of an array: each on a line of its
// own, `depth` steps in, so that a log reads and compares line by line.
std::string Next(std::size_t index, int depth) {
  return (index == 0 ? "\n" : ",\n") + std::string(2 * depth, ' ');
}

// A line or column, or null where there is none.
std::string NumberOrNull(unsigned long n) {
  return n == 0 ? "null" : Number(n);
}

std::string TargetList(unsigned targets) {
  std::string list = "[";
  if (targets & kWindowsTarget) list += "\"windows\"";
  if (targets == kBothTargets) list += ",";
  if (targets & kLinuxTarget) list += "\"linux\"";
  return list + "]";
}

// A path as a URI reference: relative ones stay relative, with '/'; full
// ones are file: URIs. Bytes other than unreserved ones are escaped.
std::string Uri(const std::string& path) {
  std::string slashed = path;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const bool drive = slashed.size() > 1 && slashed[1] == ':';
  const bool full = drive || (!slashed.empty() && slashed[0] == '/');
  std::string out = drive ? "file:///" : full ? "file://" : "";
  for (std::size_t i = 0; i < slashed.size(); ++i) {
    const auto c = static_cast<unsigned char>(slashed[i]);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '-' || c == '.' ||
                       c == '_' || c == '~' || c == '/' || (drive && i == 1);
    if (plain) {
      out += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    }
  }
  return out;
}

std::string Events(const std::vector<Event>& events) {
  std::string out;
  std::size_t index = 0;
  for (const Event& e : events) {
    if (e.kind == Event::kBox) {
      out += Next(index++, 4) +
             "{\"kind\":\"box\",\"style\":" + Json(StyleName(e.style)) +
             ",\"caption\":" + Json(e.caption) + ",\"text\":" + Json(e.text) +
             "}";
    } else if (e.kind == Event::kStart) {
      out += Next(index++, 4) +
             "{\"kind\":\"start\",\"command\":" + Json(e.text) +
             ",\"started\":" +
             (platform::Started(e.start.result) ? "true" : "false") +
             ",\"program\":" + Json(e.start.program) +
             ",\"why\":" + Json(e.start.why) + "}";
    }
  }
  return out;
}

}  // namespace

const char* TargetName(unsigned targets) {
  if (targets == kWindowsTarget) return "windows";
  if (targets == kLinuxTarget) return "linux";
  return "";
}

void Findings::Add(const Warning& warning, unsigned target) {
  const auto code = static_cast<std::size_t>(warning.code);
  const bool off = code < disabledCodes.size() && disabledCodes[code];
  const std::string key = std::to_string(code) + '\n' + warning.file + '\n' +
                          Number(warning.line) + ':' + Number(warning.column) +
                          '\n' + warning.text;
  const auto at = seen_.find(key);
  if (at != seen_.end()) {
    if (at->second == kLeftOut) return;  // counted once already
    if (!(found[at->second].targets & target)) {
      found[at->second].targets |= target;
      return;
    }
  }
  if (off) {
    ++disabled;
    if (seen_.size() < 2 * kMostFindings) seen_.emplace(key, kLeftOut);
    return;
  }
  if (found.size() >= kMostFindings) {
    unshown += RuleOf(warning.code).severity == Severity::kWarning;
    return;
  }
  seen_.emplace(key, found.size());
  found.push_back({warning, target, Shown(warning.file)});
}

void Findings::Sort() {
  std::stable_sort(found.begin(), found.end(),
                   [](const Finding& a, const Finding& b) {
                     if (a.file != b.file) return a.file < b.file;
                     if (a.warning.line != b.warning.line)
                       return a.warning.line < b.warning.line;
                     return a.warning.column < b.warning.column;
                   });
  seen_.clear();  // its places no longer hold
}

unsigned long Findings::Warnings() const {
  return unshown + static_cast<unsigned long>(std::count_if(
                       found.begin(), found.end(), [](const Finding& f) {
                         return RuleOf(f.warning.code).severity ==
                                Severity::kWarning;
                       }));
}

std::string Findings::Shown(const std::string& file) const {
  if (!IsFolderFile(file) || folder == ".") return file;
  // Joined as the folder was typed: with its own last separator, if any.
  const std::size_t typed = folder.find_last_of("/\\");
  if (typed != std::string::npos && typed + 1 == folder.size())
    return folder + file;
  return folder + (typed != std::string::npos ? folder[typed] : separator) +
         file;
}

void PrintLines(const Findings& findings) {
  for (const Finding& f : findings.found) {
    const Warning& w = f.warning;
    const Rule& rule = RuleOf(w.code);
    std::string where = f.file;
    if (w.line > 0) where += ":" + Number(w.line);
    if (w.line > 0 && w.column > 0) where += ":" + Number(w.column);
    std::string target;
    if (findings.targetsNamed && f.targets != kBothTargets)
      target = std::string(TargetName(f.targets)) + ": ";
    check::Print("%s: %s: %s%s [%s]\n", where.c_str(),
                 SeverityName(rule.severity), target.c_str(), w.text.c_str(),
                 rule.code);
  }
}

void PrintSummary(const Findings& findings) {
  const unsigned long warnings = findings.Warnings();
  const unsigned long notes =
      static_cast<unsigned long>(findings.found.size()) -
      (warnings - findings.unshown);
  std::string summary = "warnings: " + Number(warnings);
  if (notes > 0) summary += ", notes: " + Number(notes);
  if (findings.unshown > 0)
    summary += " (" + Number(findings.unshown) + " not shown: only the first " +
               Number(kMostFindings) + " are)";
  if (findings.disabled > 0)
    summary += " (" + Number(findings.disabled) + " more disabled)";
  check::Print("%s\n", summary.c_str());
}

void PrintJson(const Findings& findings) {
  std::string out = "{\"format\":\"pellomar-check\",\"version\":" +
                    Number(kJsonFormatVersion) +
                    ",\"tool\":{\"name\":\"pellomar-check\",\"version\":" +
                    Json(PELLOMAR_VERSION) +
                    "},\"folder\":" + Json(findings.folder) +
                    ",\"predictions\":[";
  for (std::size_t p = 0; p < findings.predictions.size(); ++p) {
    const Prediction& prediction = findings.predictions[p];
    out += Next(p, 1) + "{\"target\":" + Json(TargetName(prediction.target)) +
           ",\"runs\":[";
    for (std::size_t r = 0; r < prediction.runs.size(); ++r) {
      const LanguageRun& run = prediction.runs[r];
      out += Next(r, 2) + "{\"language\":" + Json(run.language) +
             ",\"branch\":" + Json(run.branch) + ",\"events\":[" +
             Events(run.events) + "]}";
    }
    out += "]}";
  }
  out += "],\"diagnostics\":[";
  for (std::size_t i = 0; i < findings.found.size(); ++i) {
    const Finding& f = findings.found[i];
    const Rule& rule = RuleOf(f.warning.code);
    out += Next(i, 1) + "{\"code\":" + Json(rule.code) +
           ",\"group\":" + Json(GroupName(rule.group)) +
           ",\"severity\":" + Json(SeverityName(rule.severity)) +
           ",\"file\":" + Json(f.file) +
           ",\"line\":" + NumberOrNull(f.warning.line) +
           ",\"column\":" + NumberOrNull(f.warning.column) +
           ",\"targets\":" + TargetList(f.targets) +
           ",\"message\":" + Json(f.warning.text) + "}";
  }
  out += "],\"warnings\":" + Number(findings.Warnings()) +
         ",\"unshown\":" + Number(findings.unshown) +
         ",\"disabled\":" + Number(findings.disabled) + "}";
  check::Print("%s\n", out.c_str());
}

void PrintSarif(const Findings& findings) {
  std::string rules;
  for (std::size_t i = 0; i < kRuleCount; ++i) {
    const Rule& rule = Rules()[i];
    rules += Next(i, 3) + "{\"id\":" + Json(rule.code) +
             ",\"name\":" + Json(rule.name) +
             ",\"shortDescription\":{\"text\":" + Json(rule.explanation) +
             "},\"defaultConfiguration\":{\"level\":" +
             Json(SeverityName(rule.severity)) +
             "},\"properties\":{\"group\":" + Json(GroupName(rule.group)) +
             ",\"pattern\":" + Json(rule.pattern) + "}}";
  }
  std::string results;
  for (std::size_t i = 0; i < findings.found.size(); ++i) {
    const Finding& f = findings.found[i];
    const Warning& w = f.warning;
    const Rule& rule = RuleOf(w.code);
    std::string region;
    if (w.line > 0)
      region = ",\"region\":{\"startLine\":" + Number(w.line) +
               (w.column > 0 ? ",\"startColumn\":" + Number(w.column) : "") +
               "}";
    results += Next(i, 2) + "{\"ruleId\":" + Json(rule.code) +
               ",\"ruleIndex\":" + Number(static_cast<unsigned long>(w.code)) +
               ",\"level\":" + Json(SeverityName(rule.severity)) +
               ",\"message\":{\"text\":" + Json(w.text) +
               "},\"locations\":[{\"physicalLocation\":{\"artifactLocation\":"
               "{\"uri\":" +
               Json(Uri(f.file)) + "}" + region +
               "}}],\"properties\":{\"targets\":" + TargetList(f.targets) +
               "}}";
  }
  check::Print(
      "{\"$schema\":%s,\"version\":\"2.1.0\",\"runs\":[{\"tool\":{\"driver\":"
      "{\"name\":\"pellomar-check\",\"version\":%s,\"rules\":[%s]}},"
      "\"columnKind\":\"unicodeCodePoints\",\"results\":[%s]}]}\n",
      Json(kSarifSchema).c_str(), Json(PELLOMAR_VERSION).c_str(), rules.c_str(),
      results.c_str());
}

}  // namespace check
