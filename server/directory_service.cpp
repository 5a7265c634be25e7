#include "server/directory_service.h"

#include "server/format_family.h"
#include "server/page_text.h"
#include "server/postgresql/pg_backend.h"
#include "server/result_page.h"
#include "server/site_pages.h"
#include "server/sqlite/sqlite_backend.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <vector>

namespace tessivar::directory {

namespace {

constexpr std::size_t maxSearchTextBytes = 1024;
constexpr std::int64_t maxRate = 100000;  // kbps
constexpr std::int64_t maxSeconds = 100000000;
constexpr std::int64_t maxPosition = 999999999999999999;
constexpr std::int64_t maxBrowsePage = 1000000;
// A search of a catalogue held in memory that costs at most about this many searches of a word in an
// entry's text (20,000 candidates of two words) is made where the request arrived: at most about two
// milliseconds, and no hand over to a worker and back, which costs more than most such searches.
constexpr std::size_t quickSearchWork = 40000;

const std::vector<std::string> &directoryParams()
{
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list{"V",  "P",       "T1", "F",  "LIVE", "FMT", "SPD",  "MBPS",
                                  "MT", "RELATED", "ID", "GS", "UNK",  "LS",  "STYLE"};
    for (const char *const *flag = formatFlagNames(); *flag; ++flag) list.emplace_back(*flag);
    return list;
  }();
  return names;
}

std::uint32_t tickedFamilies(const RequestParams &params)
{
  std::uint32_t families = 0;
  for (const char *const *flag = formatFlagNames(); *flag; ++flag) {
    if (params.isOne(*flag)) families |= familiesForFlag(*flag);
  }
  return families;
}

std::optional<std::vector<int>> versionParts(const std::string &text)
{
  std::vector<int> parts;
  std::string current;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '.') {
      if (current.empty() || current.size() > 6) return std::nullopt;
      parts.push_back(std::stoi(current));
      current.clear();
    } else if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      current.push_back(text[i]);
    } else {
      return std::nullopt;
    }
  }
  return parts;
}

Reply plainText(std::string body)
{
  return {200, "text/plain; charset=utf-8", std::move(body)};
}

bool isHostChar(char c)
{
  return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' ||
         c == ']';
}

constexpr std::uint32_t kindBit(EntryKind kind)
{
  return 1u << static_cast<int>(kind);
}

}  // namespace

bool versionBelow(const std::string &version, const std::string &minimum)
{
  const auto have = versionParts(version);
  const auto need = versionParts(minimum);
  if (!have) return true;
  if (!need) return false;
  const std::size_t length = std::max(have->size(), need->size());
  for (std::size_t i = 0; i < length; ++i) {
    const int a = i < have->size() ? (*have)[i] : 0;
    const int b = i < need->size() ? (*need)[i] : 0;
    if (a != b) return a < b;
  }
  return false;
}

bool isPostgresAddress(std::string_view catalogue)
{
  return catalogue.starts_with("postgresql://") || catalogue.starts_with("postgres://");
}

std::unique_ptr<CatalogueBackend> openCatalogueBackend(const std::string &catalogue, bool showFailing,
                                                       std::size_t memoryIndexEntries)
{
  if (isPostgresAddress(catalogue)) return std::make_unique<PgBackend>(catalogue, showFailing);
  return std::make_unique<SqliteBackend>(catalogue, showFailing, memoryIndexEntries);
}

DirectoryService::DirectoryService(const std::string &catalogue, ServiceSettings settings)
    : settings_(std::move(settings)),
      catalogue_(openCatalogueBackend(catalogue, settings_.showFailing, settings_.memoryIndexEntries)),
      stats_(*catalogue_),
      cache_(settings_.cacheBytes)
{
  catalogue_->prepareSearches();
}

std::int64_t DirectoryService::cacheGeneration()
{
  const std::int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
  if (now - generationReadAt_.load(std::memory_order_acquire) < generationRecheck.count())
    return generation_.load(std::memory_order_acquire);
  const std::int64_t generation = catalogue_->generation();
  // Generations only grow: a slower reader never puts back an older one.
  std::int64_t known = generation_.load(std::memory_order_relaxed);
  while (known < generation &&
         !generation_.compare_exchange_weak(known, generation, std::memory_order_release)) {
  }
  generationReadAt_.store(now, std::memory_order_release);
  return std::max(known, generation);
}

std::string DirectoryService::cacheKey(const std::string &key)
{
  return std::to_string(cacheGeneration()) + '\n' + key;
}

Reply DirectoryService::cached(const std::string &key, const std::function<Reply()> &produce)
{
  if (!cache_.enabled()) return produce();
  const std::string fullKey = cacheKey(key);
  if (auto reply = cache_.find(fullKey)) return *reply;
  Reply reply = produce();
  if (reply.status == 200 && !reply.stream) cache_.store(fullKey, reply);
  return reply;
}

DirectoryService::~DirectoryService() = default;

std::string DirectoryService::hostFor(const std::string &configured, const std::string &requestHost) const
{
  if (!configured.empty()) return configured;
  const bool usable = !requestHost.empty() && requestHost.size() <= 255 &&
                      std::all_of(requestHost.begin(), requestHost.end(), isHostChar);
  return usable ? requestHost : std::string("127.0.0.1");
}

Reply DirectoryService::redirect(const std::string &requestHost) const
{
  return {200, "text/html; charset=utf-8",
          hostFor(settings_.dataHost, requestHost) +
              "<HTML><HEAD><TITLE>Tessivar</TITLE></HEAD><BODY>Tessivar directory</BODY></HTML>\r\n"};
}

Reply DirectoryService::versionCheck(const Params &raw) const
{
  RequestParams params(raw, {"VER", "P", "V"});
  if (!params.error().empty()) return badRequest(params.error());
  const auto version = params.text("V");
  return plainText(!version || versionBelow(*version, settings_.minVersion) ? "Version NO" : "Version OK");
}

namespace {

// The answer depends on the known parameters alone, so they make the cache key. Each value goes with
// its length: a value holding a line break or "F=1" cannot pass for another request's key.
std::string directoryKey(RequestParams &params)
{
  std::string key = "directory";
  for (const auto &name : directoryParams()) {
    if (const auto value = params.text(name))
      key += '\n' + name + '=' + std::to_string(value->size()) + ':' + *value;
  }
  return key;
}

}  // namespace

Reply DirectoryService::directory(const Params &raw)
{
  RequestParams params(raw, directoryParams());
  if (!params.error().empty()) return badRequest(params.error());
  Reply reply = cached(directoryKey(params), [&] {
    Reply answer;
    if (params.isOne("RELATED"))
      answer = related(params);
    else if (params.isOne("GS"))
      answer = scan(params);
    else
      answer = search(params);
    if (!params.error().empty()) return badRequest(params.error());
    return answer;
  });
  countSearch(params, reply);
  return reply;
}

std::shared_ptr<const Reply> DirectoryService::directoryAtOnce(const Params &raw)
{
  RequestParams params(raw, directoryParams());
  if (!params.error().empty()) return nullptr;
  const std::string key = cache_.enabled() ? cacheKey(directoryKey(params)) : std::string();
  std::shared_ptr<const Reply> reply = cache_.enabled() ? cache_.find(key) : nullptr;
  if (!reply && !params.isOne("RELATED") && !params.isOne("GS")) {
    Reply refused;
    const std::optional<KeywordSearch> wanted = keywordSearch(params, refused);
    if (!wanted || wanted->listAll) return nullptr;
    std::optional<std::string> page = catalogue_->quickSearchPage(
        wanted->expression, wanted->scope, wanted->filter, wanted->layout, maxSearchResults, quickSearchWork);
    if (!page) return nullptr;
    auto made = std::make_shared<const Reply>(Reply{200, "text/html; charset=utf-8", std::move(*page)});
    if (cache_.enabled()) cache_.store(key, *made);
    reply = std::move(made);
  }
  if (reply) countSearch(params, *reply);
  return reply;
}

void DirectoryService::countSearch(RequestParams &params, const Reply &reply)
{
  // Only texts that found something are counted: any other text would add a row to the counts.
  if (params.isOne("RELATED") || params.isOne("GS") || reply.status != 200) return;
  if (reply.body.find("<A HREF=") == std::string::npos) return;
  const std::string text = params.text("T1").value_or(std::string());
  if (text != "ALL") stats_.count(text);
}

std::optional<DirectoryService::KeywordSearch> DirectoryService::keywordSearch(RequestParams &params,
                                                                               Reply &refused)
{
  const std::string text = params.text("T1").value_or(std::string());
  const bool live = params.isOne("LIVE");
  const std::int64_t genreCode = params.number("FMT", 1000, 0);
  KeywordSearch wanted;
  EntryFilter &filter = wanted.filter;
  filter.kinds =
      live ? (kindBit(EntryKind::Radio) | kindBit(EntryKind::Television)) : kindBit(EntryKind::Clip);
  filter.maxBitrate = params.number("SPD", maxRate);
  filter.minBitrate = params.number("MBPS", maxRate);
  filter.minSeconds = params.number("MT", maxSeconds);
  if (params.text("F")) {
    filter.families = tickedFamilies(params);
    if (params.isOne("UNK") || params.isOne("MA")) filter.families |= familyBit(FormatFamily::Unknown);
  } else {
    filter.families = allFamilies;
  }
  if (text.size() > maxSearchTextBytes) {
    refused = badRequest("The search text is too long.");
    return std::nullopt;
  }
  if (!params.error().empty()) return std::nullopt;
  wanted.layout = live ? PageLayout::Live : PageLayout::Archive;
  wanted.listAll = text == "ALL";
  wanted.scope = (genreCode == 1 || genreCode == 2) ? SearchScope::GenreOnly : SearchScope::AllFields;
  if (!wanted.listAll) wanted.expression = parseSearchText(text, wanted.scope);
  return wanted;
}

Reply DirectoryService::search(RequestParams &params)
{
  Reply refused;
  const std::optional<KeywordSearch> wanted = keywordSearch(params, refused);
  if (!wanted) return refused;
  if (wanted->listAll) {
    // Streamed as the rows are read: the page may be larger than anything worth holding.
    Reply reply;
    reply.stream = [catalogue = catalogue_.get(), filter = wanted->filter, layout = wanted->layout](
                       const ChunkSink &sink) { catalogue->writeListAllPage(filter, layout, sink); };
    return reply;
  }
  return {200, "text/html; charset=utf-8",
          catalogue_->searchPage(wanted->expression, wanted->scope, wanted->filter, wanted->layout,
                                 maxSearchResults)};
}

Reply DirectoryService::related(RequestParams &params)
{
  const std::int64_t id = params.number("ID", maxPosition, 0);
  const std::uint32_t families = tickedFamilies(params);
  if (!params.error().empty()) return {};
  return {200, "text/html; charset=utf-8",
          renderResultPage(catalogue_->relatedClips(id, families), PageLayout::Archive)};
}

Reply DirectoryService::scan(RequestParams &params)
{
  const std::string style = params.text("STYLE").value_or(std::string());
  const std::int64_t position = params.number("LS", maxPosition, 0);
  const std::int64_t maxBitrate = params.number("SPD", maxRate);
  if (style.size() > maxSearchTextBytes) return badRequest("The style is too long.");
  if (!params.error().empty()) return {};
  std::uint32_t families = allFamilies & ~familyBit(FormatFamily::Unknown);
  if (params.isOne("UNK")) families = allFamilies;

  const SearchExpression expression = parseSearchText(style, SearchScope::GenreOnly);
  if (!style.empty() && expression.empty()) return plainText("ERROR<BR>");
  const ScanStep step = catalogue_->nextStation(expression, families, maxBitrate, position);
  if (step.station) return plainText(renderScanAnswer(*step.station));
  return plainText(step.styleHasStations ? "EXCEPTION OC" : "ERROR<BR>");
}

Reply DirectoryService::browse(const std::string &letter, const std::string &page)
{
  const bool letterOk = letter.size() == 1 && std::isalnum(static_cast<unsigned char>(letter[0]));
  const bool pageOk = !page.empty() && page.size() <= 7 &&
                      std::all_of(page.begin(), page.end(), [](unsigned char c) { return std::isdigit(c); });
  if (!letterOk) return badRequest("Browse pages exist for the letters A to Z and the digits 0 to 9.");
  if (!pageOk || std::stoll(page) > maxBrowsePage)
    return badRequest("The page number must be a whole number from 0 to " + std::to_string(maxBrowsePage) +
                      ".");
  const char initial = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
  const std::int64_t number = std::stoll(page);
  return cached("browse\n" + std::string(1, initial) + '\n' + std::to_string(number), [&]() -> Reply {
    const BrowsePage result = catalogue_->browseClips(initial, number);
    return {200, "text/html; charset=utf-8",
            renderResultPage(result.entries, PageLayout::Archive, result.totalPages)};
  });
}

Reply DirectoryService::topTen()
{
  return {200, "text/html; charset=utf-8", topTenPage(stats_.top(10))};
}

Reply DirectoryService::signUp(const Params &raw)
{
  RequestParams params(raw, {"Email", "Name", "Program"});
  if (!params.error().empty()) return badRequest(params.error());
  std::string email = params.text("Email").value_or(std::string());
  std::string name = params.text("Name").value_or(std::string());
  const std::string program = params.text("Program").value_or(std::string());
  const auto hasControl = [](const std::string &text) {
    return std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
  };
  const auto trimBlanks = [](std::string &text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
  };
  // An address typed with a blank before or after it is the same address: one entry per address.
  trimBlanks(email);
  trimBlanks(name);
  if (email.find('@') == std::string::npos || email.size() > 254 || hasControl(email))
    return badRequest("Invalid e-mail address.");
  if (name.empty() || name.size() > 200 || hasControl(name)) return badRequest("Invalid name.");
  if (program.size() > 100 || hasControl(program)) return badRequest("Invalid program name.");
  if (!catalogue_->storeSignUp(email, name, program, settings_.signUpsPerHour))
    return {503, "text/html; charset=utf-8",
            errorPage("503 Service Unavailable", "Too many sign-ups this hour. Please try again later.")};
  return {200, "text/html; charset=utf-8", signupThanksPage(name)};
}

Reply DirectoryService::page(const std::string &path, const std::string &requestHost) const
{
  const auto html = sitePage(path, hostFor(settings_.siteHost, requestHost));
  if (!html) return notFound();
  return {200, "text/html; charset=utf-8", *html};
}

Reply DirectoryService::notFound()
{
  return {404, "text/html; charset=utf-8", notFoundPage()};
}

Reply DirectoryService::badRequest(const std::string &reason)
{
  return {400, "text/html; charset=utf-8", badRequestPage(reason)};
}

}  // namespace tessivar::directory
