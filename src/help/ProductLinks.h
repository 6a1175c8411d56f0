#pragma once

// The product's web page and mail address: placeholders of the project's own until it has
// real ones. The build reads them from here too (desktop metadata, package, help document).
inline constexpr char WebPageAddress[] = "https://vadro.example.org/";
inline constexpr char MailAddress[] = "vadro@example.org";
