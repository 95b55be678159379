#pragma once

// A complete update script announcing release 0.3, with a real download address.
inline constexpr char exampleScript[] = "WEBUPDATE-SCRIPT-START\r\n"
                                        "ProgramName: Tessary\r\n"
                                        "WebUpdateVersion: 0.1\r\n"
                                        "CurrentVersion: 0.3     # the newest release\r\n"
                                        "RecommendedVersion: 0.2\r\n"
                                        "DownloadURL: http://example.org/get\r\n"
                                        "DownloadSize: 420\r\n"
                                        "VersionHistory: 0.1,First alpha,0.2,Login fixed,0.3,New wizard pages\r\n";
