#include "server/command_line.h"

#include "server/directory_service.h"
#include "server/http_server.h"
#include "server/stream_check.h"

#include <arpa/inet.h>
#include <pthread.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tessivar::directory {

namespace {

constexpr const char *usage =
    "Usage:\n"
    "  tessivar-directory import --db CATALOGUE [--stations CSV] [--tv CSV] [--clips CSV] [--m3u FILE]... "
    "[--pls "
    "FILE]...\n"
    "                            [--radio-browser JSON]... [--icecast-yp XML]...\n"
    "  tessivar-directory serve --db CATALOGUE [--listen ADDRESS] [--port N] [--site-host HOST[:PORT]]\n"
    "                           [--data-host HOST[:PORT]] [--min-version VERSION] [--threads N] [--cache-mb "
    "N] [--quiet]\n"
    "                           [--request-timeout S] [--keep-alive S] [--connections-per-client N]\n"
    "                           [--signups-per-minute N] [--signups-per-hour N] [--trusted-proxy ADDRESS]\n"
    "                           [--show-failing] [--memory-index-entries N]\n"
    "  tessivar-directory check --db CATALOGUE [--concurrency N] [--timeout S] [--older-than HOURS]\n"
    "                           [--allow-private]\n"
    "\n"
    "CATALOGUE is an SQLite file, or a PostgreSQL database as postgresql://[USER@]HOST[:PORT]/NAME[?...].\n"
    "import loads a catalogue; loading a file again updates its entries (the stream address is the key).\n"
    "check probes the entries' stream addresses and records what it finds; entries whose last two\n"
    "checks failed and that have not been good for a day are left out of answers (serve --show-failing\n"
    "serves them too).\n"
    "serve --memory-index-entries N (default 100000): an SQLite catalogue of up to N entries is searched\n"
    "on trigram lists held in memory (about 200 bytes an entry), a larger one on its full-text index.\n"
    "serve answers the directory's requests; --port 0 picks a free port. The first line on standard\n"
    "output is \"Listening on ADDRESS:PORT\"; then one access-log line per request unless --quiet.\n";

struct Arguments
{
  std::multimap<std::string, std::string> values;
  std::vector<std::string> flags;
};

// --name value pairs; names listed in switches take no value.
bool parseArguments(int argc, char **argv, const std::vector<std::string> &known,
                    const std::vector<std::string> &switches, Arguments &out)
{
  for (int i = 2; i < argc; ++i) {
    const std::string name = argv[i];
    if (std::find(switches.begin(), switches.end(), name) != switches.end()) {
      out.flags.push_back(name);
      continue;
    }
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      std::fprintf(stderr, "tessivar-directory: unknown option %s\n", name.c_str());
      return false;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "tessivar-directory: %s needs a value\n", name.c_str());
      return false;
    }
    out.values.emplace(name, argv[++i]);
  }
  return true;
}

std::string single(const Arguments &arguments, const std::string &name, const std::string &fallback = {})
{
  const auto found = arguments.values.find(name);
  return found == arguments.values.end() ? fallback : found->second;
}

int runImport(int argc, char **argv)
{
  Arguments arguments;
  if (!parseArguments(
          argc, argv,
          {"--db", "--stations", "--tv", "--clips", "--m3u", "--pls", "--radio-browser", "--icecast-yp"}, {},
          arguments))
    return 2;
  const std::string database = single(arguments, "--db");
  if (database.empty()) {
    std::fprintf(stderr, "tessivar-directory: import needs --db CATALOGUE\n%s", usage);
    return 2;
  }
  const std::vector<std::pair<std::string, ImportSource>> kinds{
      {"--stations", ImportSource::Stations},
      {"--tv", ImportSource::Television},
      {"--clips", ImportSource::Clips},
      {"--m3u", ImportSource::M3u},
      {"--pls", ImportSource::Pls},
      {"--radio-browser", ImportSource::RadioBrowser},
      {"--icecast-yp", ImportSource::IcecastYp}};
  try {
    auto catalogue = openCatalogueBackend(database);
    for (const auto &[option, source] : kinds) {
      const auto range = arguments.values.equal_range(option);
      for (auto it = range.first; it != range.second; ++it) {
        const ImportCount count = catalogue->import(source, it->second);
        std::printf("%s: %lld read, %lld imported, %lld skipped\n", it->second.c_str(),
                    static_cast<long long>(count.read), static_cast<long long>(count.accepted),
                    static_cast<long long>(count.skipped));
        for (const auto &[reason, skipped] : count.skippedBy)
          std::printf("  skipped, %s: %lld\n", reason.c_str(), static_cast<long long>(skipped));
      }
    }
    std::printf("%s: %lld entries\n", isPostgresAddress(database) ? "catalogue" : database.c_str(),
                static_cast<long long>(catalogue->entryCount()));
  } catch (const std::exception &error) {
    std::fprintf(stderr, "tessivar-directory: import failed: %s\n", error.what());
    return 1;
  }
  return 0;
}

bool parsePort(const std::string &text, int low, int high, int &out)
{
  try {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used != text.size() || value < low || value > high) return false;
    out = value;
    return true;
  } catch (const std::exception &) {
    return false;
  }
}

int runServe(int argc, char **argv)
{
  Arguments arguments;
  if (!parseArguments(
          argc, argv,
          {"--db", "--listen", "--port", "--site-host", "--data-host", "--min-version", "--threads",
           "--cache-mb", "--request-timeout", "--keep-alive", "--connections-per-client",
           "--signups-per-minute", "--signups-per-hour", "--trusted-proxy", "--memory-index-entries"},
          {"--quiet", "--show-failing"}, arguments))
    return 2;
  ServerOptions options;
  options.database = single(arguments, "--db");
  options.listen = single(arguments, "--listen", "127.0.0.1");
  options.service.siteHost = single(arguments, "--site-host");
  options.service.dataHost = single(arguments, "--data-host");
  options.service.minVersion = single(arguments, "--min-version", "3.7");
  options.accessLog =
      std::find(arguments.flags.begin(), arguments.flags.end(), "--quiet") == arguments.flags.end();
  options.service.showFailing =
      std::find(arguments.flags.begin(), arguments.flags.end(), "--show-failing") != arguments.flags.end();
  options.trustedProxy = single(arguments, "--trusted-proxy");
  int cacheMegabytes = 64;
  int signUpsPerHour = 1000;
  int memoryIndexEntries = 100000;
  if (options.database.empty()) {
    std::fprintf(stderr, "tessivar-directory: serve needs --db CATALOGUE\n%s", usage);
    return 2;
  }
  if (!parsePort(single(arguments, "--port", "8437"), 0, 65535, options.port) ||
      !parsePort(single(arguments, "--threads", "0"), 0, 1024, options.threads) ||
      !parsePort(single(arguments, "--cache-mb", "64"), 0, 65536, cacheMegabytes)) {
    std::fprintf(stderr,
                 "tessivar-directory: --port takes 0 to 65535, --threads 0 to 1024, --cache-mb 0 to 65536\n");
    return 2;
  }
  if (!parsePort(single(arguments, "--request-timeout", "10"), 1, 3600, options.requestSeconds) ||
      !parsePort(single(arguments, "--keep-alive", "5"), 0, 3600, options.keepAliveSeconds) ||
      !parsePort(single(arguments, "--connections-per-client", "16"), 0, 100000,
                 options.connectionsPerClient) ||
      !parsePort(single(arguments, "--signups-per-minute", "6"), 0, 100000, options.signUpsPerMinute) ||
      !parsePort(single(arguments, "--signups-per-hour", "1000"), 0, 100000, signUpsPerHour) ||
      !parsePort(single(arguments, "--memory-index-entries", "100000"), 0, 10000000, memoryIndexEntries)) {
    std::fprintf(stderr,
                 "tessivar-directory: --request-timeout takes 1 to 3600, --keep-alive 0 to 3600, "
                 "--connections-per-client, --signups-per-minute and --signups-per-hour 0 to 100000, "
                 "--memory-index-entries 0 to 10000000\n");
    return 2;
  }
  in6_addr numeric{};
  if (!options.trustedProxy.empty() && inet_pton(AF_INET, options.trustedProxy.c_str(), &numeric) != 1 &&
      inet_pton(AF_INET6, options.trustedProxy.c_str(), &numeric) != 1) {
    std::fprintf(stderr, "tessivar-directory: --trusted-proxy takes an IPv4 or IPv6 address\n");
    return 2;
  }
  options.service.cacheBytes = static_cast<std::size_t>(cacheMegabytes) << 20;
  options.service.signUpsPerHour = signUpsPerHour;
  options.service.memoryIndexEntries = static_cast<std::size_t>(memoryIndexEntries);
  if (!isPostgresAddress(options.database) && !std::filesystem::exists(options.database)) {
    std::fprintf(stderr, "tessivar-directory: no catalogue at %s; load one with import first\n",
                 options.database.c_str());
    return 1;
  }

  // SIGINT and SIGTERM are taken by one thread that stops the server; no other thread sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    HttpServer server(options);
    const int port = server.bind();
    if (port < 0) {
      std::fprintf(stderr, "tessivar-directory: cannot listen on %s:%d\n", options.listen.c_str(),
                   options.port);
      return 1;
    }
    std::printf("Listening on %s:%d\n", options.listen.c_str(), port);
    std::fflush(stdout);

    std::thread signalWatcher([&server, stopSignals] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      server.stop();
    });
    const bool served = server.serve();
    pthread_kill(signalWatcher.native_handle(), SIGTERM);  // wakes the watcher if no signal came
    signalWatcher.join();
    std::fprintf(stderr, "tessivar-directory: stopped\n");
    return served ? 0 : 1;
  } catch (const std::exception &error) {
    std::fprintf(stderr, "tessivar-directory: %s\n", error.what());
    return 1;
  }
}

std::atomic<bool> checkStopped{false};

int runCheck(int argc, char **argv)
{
  Arguments arguments;
  if (!parseArguments(argc, argv, {"--db", "--concurrency", "--timeout", "--older-than"}, {"--allow-private"},
                      arguments))
    return 2;
  const std::string database = single(arguments, "--db");
  CheckRun run;
  if (database.empty() ||
      !parsePort(single(arguments, "--concurrency", "64"), 1, 4096, run.probe.concurrency) ||
      !parsePort(single(arguments, "--timeout", "10"), 1, 600, run.probe.timeoutSeconds) ||
      !parsePort(single(arguments, "--older-than", "0"), 0, 1000000, run.olderThanHours)) {
    std::fprintf(
        stderr,
        "tessivar-directory: check needs --db CATALOGUE; --concurrency takes 1 to 4096, --timeout 1 to "
        "600, --older-than 0 or more hours\n");
    return 2;
  }
  run.probe.allowPrivate = !arguments.flags.empty();
  if (!isPostgresAddress(database) && !std::filesystem::exists(database)) {
    std::fprintf(stderr, "tessivar-directory: no catalogue at %s\n", database.c_str());
    return 1;
  }
  // Ctrl-C ends the check after the findings so far are written.
  std::signal(SIGINT, [](int) { checkStopped = true; });
  std::signal(SIGTERM, [](int) { checkStopped = true; });
  try {
    auto catalogue = openCatalogueBackend(database);
    const auto started = std::chrono::steady_clock::now();
    const CheckSummary summary = runStreamCheck(*checkStoreOf(*catalogue), run, stderr, checkStopped);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s", summaryText(summary, seconds).c_str());
    return 0;
  } catch (const std::exception &error) {
    std::fprintf(stderr, "tessivar-directory: check failed: %s\n", error.what());
    return 1;
  }
}

}  // namespace

int runCommandLine(int argc, char **argv)
{
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "import") return runImport(argc, argv);
  if (command == "serve") return runServe(argc, argv);
  if (command == "check") return runCheck(argc, argv);
  if (command == "--help" || command == "-h" || command == "help") {
    std::printf("%s", usage);
    return 0;
  }
  std::fprintf(stderr, "%s", usage);
  return 2;
}

}  // namespace tessivar::directory
