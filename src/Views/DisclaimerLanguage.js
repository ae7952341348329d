.pragma library
// The languages of the about page's disclaimer, in the order the picker shows
// them. Each case carries its raw value (the segment's label), the box title
// and the box text; cases are compared by identity.

var deutsch = Object.freeze({
    rawValue: "Deutsch",
    title: "Haftungsausschluss",
    text: "Diese Software wird ohne jegliche Gewährleistung bereitgestellt. Die Nutzung erfolgt auf eigene Gefahr. Der Autor übernimmt keine Haftung für Schäden, die durch die Nutzung dieser Software entstehen."
})

var english = Object.freeze({
    rawValue: "English",
    title: "Disclaimer",
    text: "This software is provided \"as is\", without warranty of any kind, express or implied. Use at your own risk. The author shall not be liable for any damages arising from the use of this software."
})

var allCases = Object.freeze([deutsch, english])

// The case whose raw value is exactly `rawValue` (case-sensitive, whole
// text), or null for any other value.
function fromRawValue(rawValue) {
    for (var i = 0; i < allCases.length; ++i) {
        if (allCases[i].rawValue === rawValue)
            return allCases[i]
    }
    return null
}
