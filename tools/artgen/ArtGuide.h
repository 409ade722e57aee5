// The user guide: a few pages of plain text about the editor, laid out in
// A4 pages of the standard Helvetica faces (which every PDF reader has, so
// nothing is embedded) by a minimal PDF writer. No date or identifier is
// written: the same text gives the same bytes.
#pragma once

#include <string>
#include <vector>

struct ArtGuideSection
{
  const char* title;
  std::vector<const char*> paragraphs;
};

// The guide's sections, in order.
const std::vector<ArtGuideSection>& ArtGuideText();

// The whole PDF file of the sections: a header, one object per page, font
// and content stream, the cross-reference table and the trailer whose
// startxref gives the table's byte offset.
std::string ArtGuidePdf(const std::vector<ArtGuideSection>& sections);
