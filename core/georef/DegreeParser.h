// The coordinate grammar of the Add Geo-reference entry: degrees, minutes
// and seconds (or degrees and decimal minutes) with an optional hemisphere
// letter, or failing that a plain number.
#pragma once

// Hemisphere letters; the dialog passes the texts of its string table.
struct HemisphereLetters
{
    const char* pszNorth = "N";
    const char* pszEast = "E";
    const char* pszSouth = "S";
    const char* pszWest = "W";
};

// Parses one coordinate text in the degree grammar. bLongitude selects the
// letters E/W (true) or N/S (false). On true *pdValue holds decimal degrees.
bool ParseDegrees(const char* pszText, double* pdValue, bool bLongitude,
                  const HemisphereLetters& letters = HemisphereLetters());

// The conversion of the two entered texts: both in the degree grammar, or
// else both as plain numbers. false means "Invalid values"; the outputs are
// then left untouched.
bool ConvertCoordinateEntries(const char* pszEasting, const char* pszNorthing, double* pdEasting, double* pdNorthing,
                              const HemisphereLetters& letters = HemisphereLetters());
