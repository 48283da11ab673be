#pragma once

// The maker's fixed addresses and the running release. The site and the update host come from the
// build configuration so a test build can point the version check at a loopback server.
namespace quorvel::maker {

inline constexpr char kSiteUrl[] = QUORVEL_SITE_URL;
inline constexpr char kUpdateHost[] = QUORVEL_UPDATE_HOST;  // host[:port]; empty: never check
inline constexpr char kContactMail[] = QUORVEL_CONTACT_MAIL;
inline constexpr char kVersionFilePath[] = "/app/QvlVer.txt";
inline constexpr char kAppTitle[] = "Quorvel";
inline constexpr char kVersionText[] = "Ver. 1.72";
inline constexpr int kRelease = 172;

}  // namespace quorvel::maker
