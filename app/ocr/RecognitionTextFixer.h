#pragma once

#include <QString>

// Undoes the recognition engine's known spacing mistakes so that a line reads as a person reads
// it. With monospaced fonts the engine puts a space after the dots (and sometimes around the @)
// of e-mail addresses: "john. novak@example. com". Words are joined again only where the result
// is one address; sentence ends ("… example.com. Next") stay apart. In proportional fonts the
// space after a "+1" country code is lost: "+1555 123 4567".
namespace RecognitionTextFixer {

QString fix(const QString& line);

}  // namespace RecognitionTextFixer
