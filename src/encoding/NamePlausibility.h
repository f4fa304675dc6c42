#pragma once

#include <QStringView>

// Judges decoded entry names by how much they look like names people write. A wrong code page
// turns the same bytes into box drawing, symbols, controls, letters of another script inside a
// word, capitals inside lower-case words, letters no single language uses together, or rare
// ideographs; the right one gives letters of one script and one language. Stateless; any thread
// may call it at any time.
namespace NamePlausibility {

// The implausibility of the text as entry names: 0 for names any language would write,
// growing with every trace of a wrong code page. Only comparisons between decodings of the
// same bytes are meaningful.
int cost(QStringView text);
// True when the text holds a character no entry name holds: a control, format, private-use,
// unassigned or replacement character.
bool hasBrokenCharacters(QStringView text);

} // namespace NamePlausibility
