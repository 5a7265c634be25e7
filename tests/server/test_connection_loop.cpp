// The loop that reads requests and writes answers, with a handler of the test's own: what happens to an
// answer whose client has gone while it was being made.
#include "server/connection_loop.h"
#include "support/test_environment.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <thread>

using namespace tessivar::directory;

namespace {

int connectTo(int port)
{
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void sendAll(int fd, const std::string &bytes)
{
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t sent = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (sent <= 0) return;
    at += static_cast<std::size_t>(sent);
  }
}

std::string readToEnd(int fd)
{
  std::string out;
  char block[4096];
  for (ssize_t got; (got = ::recv(fd, block, sizeof block, 0)) > 0;)
    out.append(block, static_cast<std::size_t>(got));
  return out;
}

std::string answer(const std::string &body)
{
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

class TestConnectionLoop : public QObject
{
  Q_OBJECT

 private slots:
  void anAnswerWhoseClientHasGoneReachesNoOtherClient()
  {
    std::promise<void> started;
    std::promise<void> finish;
    std::shared_future<void> finishing = finish.get_future().share();
    ConnectionLoop loop(
        {}, 2, 0,
        [&](const ReceivedRequest &request, const AnswerPart &) {
          if (request.bytes.starts_with("GET /slow")) {
            started.set_value();
            finishing.wait();
            return Answer{answer("for the client that left"), false};
          }
          return Answer{answer("for the client asking"), true};
        },
        nullptr);
    const int port = loop.bind("127.0.0.1", 0);
    QVERIFY(port > 0);
    std::thread serving([&] { loop.run(); });

    // The first client leaves with a reset while its answer is being made; the next connection may
    // be given the same descriptor number in the server.
    const int leaving = connectTo(port);
    sendAll(leaving, "GET /slow HTTP/1.1\r\nHost: x\r\n\r\n");
    started.get_future().wait();
    const linger reset{1, 0};
    setsockopt(leaving, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(leaving);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // for the loop to see the reset
    const int asking = connectTo(port);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // for the loop to accept it
    finish.set_value();
    sendAll(asking, "GET /fast HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    const std::string received = readToEnd(asking);
    ::close(asking);
    loop.stop();
    serving.join();
    QCOMPARE(QByteArray::fromStdString(received), QByteArray::fromStdString(answer("for the client asking")));
  }
};

TESSIVAR_TEST_MAIN(TestConnectionLoop)
#include "test_connection_loop.moc"
