// Copying a text file of lines into a TextWriter, as reading it with LineReader and writing
// every line with TextWriter::WriteLine does, but in whole blocks where it can.
#pragma once

#include <memory>
#include <string>

#include "FileSystem.h"
#include "text/TextWriter.h"

namespace quarn {

// Copies every line of from (read as Windows-1252; path names it) to `to`, exactly as
//   while (reader.Next(&line)) to.WriteLine(line);
// does on a LineReader of from. Lines that end in CR LF and hold no other CR or LF (all the
// files the program writes for itself) go over a block at a time, converted as WriteLine
// converts them; from the first line that does not, the rest goes line by line. Returns the
// read failure that ended the copy, if one did (the lines before it are written).
Status CopyLines(std::unique_ptr<SequentialFile> from, const std::string& path, TextWriter& to);

}  // namespace quarn
