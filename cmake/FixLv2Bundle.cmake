# Run after JUCE has written the LV2 bundle's turtle files:
#   cmake -DBUNDLE=<bundle folder> -P FixLv2Bundle.cmake
# JUCE 7.0.5 describes a few things in terms the LV2 vocabulary does not allow,
# which strict hosts and validators reject. This puts them right; nothing the
# plug-in does changes.

file(READ "${BUNDLE}/dsp.ttl" dsp)
# Choice parameters keep their scale points; "portProperty" is for ports only.
string(REPLACE "\tlv2:portProperty lv2:enumeration ;\n" "" dsp "${dsp}")
# The maintainer's name and release are project properties.
string(REPLACE "\ta lv2:InstrumentPlugin ;" "\ta lv2:InstrumentPlugin , doap:Project ;" dsp "${dsp}")
# An e-mail address is a mailto: IRI, not a path beside the file.
string(REGEX REPLACE "foaf:mbox <([^:>]+@[^>]+)>" "foaf:mbox <mailto:\\1>" dsp "${dsp}")
# The single program's preset stores its number under this key.
string(APPEND dsp "\nplug:Program\n\ta rdf:Property ;\n\trdfs:label \"Program\" ;\n\trdfs:range atom:Int .\n")
file(WRITE "${BUNDLE}/dsp.ttl" "${dsp}")

file(READ "${BUNDLE}/ui.ttl" ui)
# "noUserResize" is a feature and the options interface is extension data.
string(REPLACE "\t\tui:noUserResize ,\n" "" ui "${ui}")
string(REPLACE "\tlv2:optionalFeature\n\t\tui:resize ,\n\t\topts:interface ,\n"
               "\tlv2:optionalFeature\n\t\tui:noUserResize ,\n\t\tui:resize ,\n" ui "${ui}")
file(WRITE "${BUNDLE}/ui.ttl" "${ui}")
