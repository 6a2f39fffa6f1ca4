#include <gtest/gtest.h>

#include <stdexcept>

#include "base/server_address.h"
#include "base/settings.h"

namespace {

TEST(ServerAddress, PrefixesChooseTheProtocolAndItsPort) {
    CSettings::Instance().SetLangID(1033);
    struct Case {
        const char* field;
        Transport transport;
        const char* host;
        std::uint16_t port;
        const char* path = "";
    };
    for (const Case& check : {
             Case{"ftp.example.org", Transport::Plain, "ftp.example.org", 21},
             Case{" ftp.example.org:2121 ", Transport::Plain, "ftp.example.org", 2121},
             Case{"ftp://ftp.example.org/", Transport::Plain, "ftp.example.org", 21},
             Case{"ftpes://ftp.example.org", Transport::ExplicitTls, "ftp.example.org", 21},
             Case{"FTPS://ftp.example.org", Transport::ImplicitTls, "ftp.example.org", 990},
             Case{"sftp://example.org:2222", Transport::Sftp, "example.org", 2222},
             Case{"ftps://[::1]:9990", Transport::ImplicitTls, "::1", 9990},
             Case{"sftp://[2001:db8::1]", Transport::Sftp, "2001:db8::1", 22},
             // Not a port: kept as a part of the name, as before.
             Case{"ftp.example.org:99999", Transport::Plain, "ftp.example.org:99999", 21},
             Case{"file:///var/www/html/", Transport::Folder, "", 0, "/var/www/html"},
             Case{"FILE://localhost/srv/my%20site", Transport::Folder, "", 0, "/srv/my site"},
             Case{"file:///", Transport::Folder, "", 0, "/"},
             Case{"dav://nas.local:8080", Transport::Dav, "nas.local", 8080},
             Case{"davs://cloud.example.org/remote.php/dav/files/me%20too/", Transport::DavTls,
                  "cloud.example.org", 443, "/remote.php/dav/files/me too"},
             Case{"davs://[::1]:8443/dav", Transport::DavTls, "::1", 8443, "/dav"},
         }) {
        ServerAddress address = ParseFtpServer(check.field);
        EXPECT_EQ(address.transport, check.transport) << check.field;
        EXPECT_EQ(address.host, check.host) << check.field;
        EXPECT_EQ(address.port, check.port) << check.field;
        EXPECT_EQ(address.path, check.path) << check.field;
    }
    EXPECT_TRUE(LoginIsOptional("file:///srv") && LoginIsOptional("dav://nas/x"));
    EXPECT_FALSE(LoginIsOptional("sftp://host") || LoginIsOptional("file://x"));
    ServerAddress mail = ParseSmtpServer("mail.example.org");
    EXPECT_EQ(mail.transport, Transport::Plain);
    EXPECT_EQ(mail.port, 25);
    mail = ParseSmtpServer("smtps://mail.example.org");
    EXPECT_EQ(mail.transport, Transport::ImplicitTls);
    EXPECT_EQ(mail.port, 465);
    EXPECT_EQ(ParseSmtpServer("mail.example.org:587").port, 587);

    for (const char* field :
         {"http://ftp.example.org", "ftpes://", "ftp example org", "", "smtps://x", "file://",
          "file://www/html", "file:///a%00b", "dav:///path"}) {
        EXPECT_THROW(ParseFtpServer(field), std::runtime_error) << field;
    }
    try {
        ParseSmtpServer("sftp://mail.example.org");
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("\"sftp://mail.example.org\" is not understood"),
                  std::string::npos);
    }
}

}  // namespace
