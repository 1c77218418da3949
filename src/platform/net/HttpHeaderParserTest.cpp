#include "platform/net/HttpHeaderParser.h"

#include <gtest/gtest.h>

namespace zu {
namespace {

TEST(HttpHeaderParserTest, KeepsTheLastBlockAndIgnoresWhatIsNotAField) {
  HttpHeaderParser p;
  p.feedLine("garbage before any status\r\n");
  EXPECT_FALSE(p.hasBlock());
  for (const char* line : {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 302 Found\r\n",
                           "Location: /b\r\n", "\r\n", "HTTP/2 200\r\n",
                           "Content-Type:  Text/XML ; charset=utf-8\r\n", "X-Long: first\r\n",
                           "\t second part\r\n", "no colon here\r\n", ": no name\r\n",
                           "Content-Length: 12\r\n", "\r\n", "Trailer-Field: after body\r\n"}) {
    p.feedLine(line);
  }
  EXPECT_TRUE(p.complete());
  auto r = p.takeResponse("http://h/b");
  EXPECT_EQ(r->statusCode, 200);
  EXPECT_EQ(r->url, "http://h/b");
  EXPECT_EQ(r->mimeType, "text/xml");
  EXPECT_EQ(r->expectedContentLength, 12);
  EXPECT_EQ(r->field("x-long"), "first second part");
  EXPECT_FALSE(r->field("Location"));
  EXPECT_FALSE(r->field("Trailer-Field"));
  EXPECT_EQ(r->headers.size(), 3u);
}

TEST(HttpHeaderParserTest, OddStatusAndLengthsGiveCleanValues) {
  HttpHeaderParser p;
  p.feedLine("HTTP/1.1 abc\r\n");
  p.feedLine("Content-Length: 12x\r\n");
  EXPECT_EQ(p.status(), 0);
  auto r = p.takeResponse("");
  EXPECT_EQ(r->expectedContentLength, -1);
  EXPECT_EQ(r->mimeType, "");
  HttpHeaderParser q;
  q.feedLine("HTTP/1.0");
  q.feedLine("Content-Length: -5");
  EXPECT_EQ(q.takeResponse("")->expectedContentLength, -1);
}

}  // namespace
}  // namespace zu
