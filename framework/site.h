// The maker's web site. Every address of the site is built here from one base
// address, which the environment variable SPRUCE_SITE overrides (the demo and
// the tests point it at a local server).
#pragma once
#include <string>

// Base address without a trailing slash, e.g. "http://www.spruce.co.kr".
std::string SiteBase();
// The base address followed by page (which starts with "/").
std::string SiteUrl(const char* page);
// The host name of the base address (no scheme, port or path): the web
// server answers ICMP echoes, so the internet optimizer probes it.
std::string SiteHost();

// The browser the home-page buttons and links start.
constexpr const char* kBrowserPath = "C:/Program Files/Internet Explorer/IEXPLORE.EXE";

// The whois search of the national internet registry, which the My IP tool
// links to (not on the maker's site, so SPRUCE_SITE does not move it).
constexpr const char* kWhoisPage = "http://whois.kisa.or.kr/kor/";
