// Holds many slow connections to a server on 127.0.0.1 for a while, as misbehaving clients would:
// a third send a request head one byte at a time, a third connect and send nothing, a third ask for a
// result page and read it a few bytes at a time. A connection the server closes is opened again, so
// the number held stays the same. Prints what the server did to them at the end. Each client comes
// from an address of its own (127.0.0.2, 127.0.0.3, ...), as clients on the internet would.
// MODE list-all: every client asks for list all instead and reads it a byte at a time.
//
//   bench_slow_clients PORT [COUNT=200] [SECONDS=30] [INTERVAL_MS=2000] [MODE=mixed|list-all]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

enum class Kind { Trickle, Idle, SlowReader };

struct Client
{
  Kind kind = Kind::Idle;
  int fd = -1;
  std::size_t sent = 0;
  Clock::time_point next;
};

const std::string trickledHead =
    "GET /tessivar37.asp?V=3.7&P=T&T1=radio&LIVE=1 HTTP/1.1\r\nHost: bench\r\nX-Pad: ";
std::string pageRequest = "GET /tessivar37.asp?V=3.7&P=T&T1=radio&LIVE=1 HTTP/1.1\r\nHost: bench\r\n\r\n";
std::size_t readBytes = 16;  // a slow reader's bytes at each step

int openConnection(int port, Kind kind, std::size_t index)
{
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in from{};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1 + static_cast<std::uint32_t>(index % 65000));
  bind(fd, reinterpret_cast<sockaddr *>(&from), sizeof from);
  if (kind == Kind::SlowReader) {
    int small = 4096;  // the answer stays in the server's hands
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  if (kind == Kind::SlowReader) send(fd, pageRequest.data(), pageRequest.size(), MSG_NOSIGNAL);
  return fd;
}

}  // namespace

int main(int argc, char **argv)
{
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PORT [COUNT=200] [SECONDS=30] [INTERVAL_MS=2000]\n", argv[0]);
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const int count = argc > 2 ? std::atoi(argv[2]) : 200;
  const auto duration = std::chrono::seconds(argc > 3 ? std::atoi(argv[3]) : 30);
  const auto interval = std::chrono::milliseconds(argc > 4 ? std::atoi(argv[4]) : 2000);
  const bool listAll = argc > 5 && std::strcmp(argv[5], "list-all") == 0;
  if (listAll) {
    pageRequest = "GET /tessivar37.asp?V=3.7&P=T&T1=ALL&LIVE=1 HTTP/1.1\r\nHost: bench\r\n\r\n";
    readBytes = 1;
  }

  std::vector<Client> clients(static_cast<std::size_t>(count));
  const auto start = Clock::now();
  long reopened = 0;
  long failed = 0;
  long answersSeen = 0;
  for (std::size_t i = 0; i < clients.size(); ++i) {
    clients[i].kind = listAll ? Kind::SlowReader : static_cast<Kind>(i % 3);
    clients[i].fd = openConnection(port, clients[i].kind, i);
    // Spread over the interval, so the bytes do not all come at once.
    clients[i].next = start + interval * static_cast<long>(i) / count;
    if (clients[i].fd < 0) ++failed;
  }
  std::printf("slow clients: %d connected\n", count);
  std::fflush(stdout);

  std::vector<pollfd> polled(clients.size());
  char buffer[16 * 1024];
  while (Clock::now() - start < duration) {
    for (std::size_t i = 0; i < clients.size(); ++i) {
      polled[i].fd = clients[i].fd;
      // Slow readers are only read on their schedule; the others are watched for the server's answer.
      polled[i].events = clients[i].kind == Kind::SlowReader ? 0 : POLLIN;
      polled[i].revents = 0;
    }
    poll(polled.data(), polled.size(), 50);
    const auto now = Clock::now();
    for (std::size_t i = 0; i < clients.size(); ++i) {
      Client &client = clients[i];
      bool closed = client.fd < 0 || (polled[i].revents & (POLLERR | POLLHUP | POLLNVAL));
      if (!closed && (polled[i].revents & POLLIN)) {
        const ssize_t got = recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) ++answersSeen;
        closed = got == 0 || (got < 0 && errno != EAGAIN);
      }
      if (!closed && now >= client.next) {
        client.next += interval;
        if (client.kind == Kind::Trickle) {
          const char byte = trickledHead[client.sent % trickledHead.size()];
          ++client.sent;
          closed = send(client.fd, &byte, 1, MSG_NOSIGNAL) != 1;
        } else if (client.kind == Kind::SlowReader) {
          const ssize_t got = recv(client.fd, buffer, readBytes, MSG_DONTWAIT);
          closed = got == 0 || (got < 0 && errno != EAGAIN);
        }
      }
      if (closed) {
        if (client.fd >= 0) {
          close(client.fd);
          ++reopened;
        }
        client.sent = 0;
        client.fd = openConnection(port, client.kind, i);
        if (client.fd < 0) ++failed;
      }
    }
  }
  for (const Client &client : clients) {
    if (client.fd >= 0) close(client.fd);
  }
  std::printf(
      "slow clients: %ld closed by the server and opened again, %ld answers to them, %ld failed to connect\n",
      reopened, answersSeen, failed);
  return 0;
}
