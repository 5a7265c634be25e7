#include "server/site_pages.h"

#include "server/page_text.h"

#include <map>

namespace tessivar::directory {

namespace {

struct PageText
{
  const char *title;
  const char *body;  // HTML; "{site}" stands for the site's host
};

const std::map<std::string, PageText> &pages()
{
  static const std::map<std::string, PageText> table{
      {"/tessivar.htm",
       {"Tessivar! Broadcast 3.7",
        "<p>Tessivar! Broadcast is a desktop program for Internet radio stations, live television channels "
        "and on-demand audio and video clips. Type a station name, a genre, a place or a subject; pick a "
        "genre from the Select Format menu; or browse the clip library by letter.</p>"
        "<p>Play any result in your media player, keep ten station presets and a list of bookmarks, and let "
        "the station scanner play every station of a style in turn.</p>"
        "<ul><li><a href=\"http://{site}/about.asp\">About the program</a></li>"
        "<li><a href=\"http://{site}/addsite.htm\">Add a station</a></li>"
        "<li><a href=\"http://{site}/mailform.htm\">Support and product updates</a></li></ul>"}},
      {"/about.asp",
       {"About Tessivar! Broadcast",
        "<p>Tessivar! Broadcast 3.7 with the Tessivar directory: a searchable catalogue of live radio, "
        "live television and on-demand clips, answered by the tessivar-directory server.</p>"
        "<p>The catalogue is built from public station and podcast lists; every entry points to the "
        "broadcaster's own stream. Station names and streams belong to their broadcasters.</p>"}},
      {"/addsite.htm",
       {"Add a Station",
        "<p>To add your station or clips to the directory, send us its name, its stream address (an MP3, "
        "AAC or Ogg stream, a .pls or .m3u playlist, or a Windows Media or RealAudio address), its home "
        "page, "
        "its genre and where it broadcasts from.</p>"
        "<p>Directory operators load station lists with <code>tessivar-directory import --db FILE "
        "--stations LIST.csv</code>, or straight from a playlist with <code>--m3u</code> or "
        "<code>--pls</code>. "
        "Importing a list again updates its entries; the stream address is the key.</p>"
        "<p><a href=\"http://{site}/mailform.htm\">Contact us</a></p>"}},
      {"/mystation.htm",
       {"Start your own Radio Station",
        "<p>All you need is a computer, a sound source and a streaming server. On Linux, Icecast 2 "
        "(<code>apt install icecast2</code>) serves your stream to listeners; a source client such as "
        "Liquidsoap, Mixxx, BUTT or <code>ffmpeg</code> encodes your playlist or microphone to MP3 or Ogg "
        "and sends it to Icecast.</p>"
        "<p>A 128 kbps stereo MP3 stream needs about 128 kbit/s of upload per listener. When your station is "
        "on the air, <a href=\"http://{site}/addsite.htm\">add it to the directory</a>.</p>"}},
      {"/mediagrab.htm",
       {"Download Media",
        "<p>Clips in the directory are plain files on their publishers' servers: use your browser's "
        "\"Save link as\", or <code>wget</code> or <code>curl -O</code> with the clip's address (Copy Link "
        "in "
        "the program puts it on the clipboard).</p>"
        "<p>Respect each publisher's licence. Many podcasts allow personal copies but not "
        "redistribution.</p>"}},
      {"/demo.asp",
       {"Tessivar! Broadcast Demo",
        "<ol><li>Choose LIVE Broadcasts, type <em>jazz</em> and press Enter: stations appear with their "
        "format, location and speed.</li>"
        "<li>Double-click a station to play it in your player.</li>"
        "<li>Choose Streaming Audio &amp; Video and search for a subject; click a clip to see related "
        "clips below.</li>"
        "<li>Choose Browse and click a letter to page through the clip library.</li>"
        "<li>Open the scanner, pick a style and press Start to hear one station after another.</li></ol>"}},
      {"/mailform.htm",
       {"Support",
        "<p>Questions, broken links or a station to add? Leave your name and e-mail address and we will "
        "get back to you, and keep you informed about new versions.</p>"
        "<form action=\"http://{site}/maillist.asp\" method=\"get\">"
        "<p><label>Name <input name=\"Name\"></label></p>"
        "<p><label>Email Address <input name=\"Email\"></label></p>"
        "<input type=\"hidden\" name=\"Program\" value=\"Tessivar! Broadcast\">"
        "<p><input type=\"submit\" value=\"Send\"></p></form>"}},
      {"/ctube.htm",
       {"Live Television",
        "<p>The directory lists thousands of live television channels. Choose LIVE Broadcasts and search "
        "for a channel name, a country or a subject such as <em>news</em> or <em>sports</em>.</p>"
        "<p>Most channels stream as HLS video (.m3u8); tick MPEG (Video) in the program's setup so that "
        "they are listed, and play them with mpv or VLC.</p>"}},
      {"/real.htm",
       {"RealAudio and RealVideo on Linux",
        "<p>RealPlayer is no longer made for Linux. mpv and VLC play RealAudio and RealVideo files and "
        "most rtsp:// streams, as well as MP3, AAC and Ogg streams and .pls/.m3u playlists:</p>"
        "<p><code>apt install mpv</code> or <code>apt install vlc</code></p>"
        "<p>Make the player the default application for audio streams in your desktop's settings, and the "
        "program will start it.</p>"}},
      {"/microsoft.htm",
       {"Windows Media on Linux",
        "<p>Windows Media audio and video (.wma, .wmv, .asf, .asx and mms:// addresses) play in mpv and "
        "VLC:</p><p><code>apt install mpv</code> or <code>apt install vlc</code></p>"
        "<p>Set the player as the default application for these file types in your desktop's settings.</p>"}},
      {"/total.htm",
       {"Recording Streams",
        "<p>To record what you hear, use a stream recorder: <code>ffmpeg -i STREAM-ADDRESS -c copy "
        "recording.mp3</code> saves a stream as it is, and streamripper splits Shoutcast and Icecast "
        "streams into tracks (<code>apt install streamripper</code>).</p>"
        "<p>Audacity can record whatever your computer plays through its monitor input.</p>"}},
  };
  return table;
}

std::string pageShell(const std::string &title, const std::string &body)
{
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + htmlEscape(title) +
         "</title></head>\n<body>\n<h1>" + htmlEscape(title) + "</h1>\n" + body + "\n</body></html>\n";
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

std::optional<std::string> sitePage(const std::string &path, const std::string &siteHost)
{
  const auto found = pages().find(path);
  if (found == pages().end()) return std::nullopt;
  return pageShell(found->second.title, replaced(found->second.body, "{site}", htmlEscape(siteHost)));
}

std::vector<std::string> sitePagePaths()
{
  std::vector<std::string> paths;
  for (const auto &[path, page] : pages()) paths.push_back(path);
  return paths;
}

std::string notFoundPage()
{
  return "<HTML><HEAD><TITLE>404 Object Not Found</TITLE></HEAD><BODY><H1>404 Object Not Found</H1>"
         "<P>The page you asked for is not on this server.</P></BODY></HTML>\r\n";
}

std::string errorPage(const std::string &status, const std::string &reason)
{
  return "<HTML><HEAD><TITLE>" + status + "</TITLE></HEAD><BODY><H1>" + status + "</H1><P>" +
         htmlEscape(reason) + "</P></BODY></HTML>\r\n";
}

std::string badRequestPage(const std::string &reason)
{
  return errorPage("400 Bad Request", reason);
}

std::string topTenPage(const std::vector<std::pair<std::string, std::int64_t>> &terms)
{
  std::string body;
  if (terms.empty()) {
    body = "<p>Nobody has searched yet.</p>";
  } else {
    body = "<ol>\n";
    for (const auto &[term, searches] : terms)
      body += "<li>" + htmlEscape(term) + " (" + std::to_string(searches) +
              (searches == 1 ? " search" : " searches") + ")</li>\n";
    body += "</ol>";
  }
  return pageShell("Top 10 Most Searched Terms", body);
}

std::string signupThanksPage(const std::string &name)
{
  return pageShell("Product Updates", "<p>Thank you, " + htmlEscape(name) +
                                          ". You will receive news about Tessivar! Broadcast.</p>");
}

}  // namespace tessivar::directory
