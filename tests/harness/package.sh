# What the package tests of every architecture judge alike. Part of tests/harness. Sourced,
# not run.
#
#   poko_lintian_faults DEB CONTENTS LOG
#                       lintian's faults in the package DEB, unpacked in CONTENTS, one per
#                       line; nothing when it passes. lintian's whole output goes to LOG.

# Errors would keep the package out of Debian and warnings point at real faults, and the
# program must be built with the distribution's hardening (fortified functions, full
# RELRO); what lintian only mentions is no fault. One exception: AppStream 1.0 asks for a
# homepage address, which the game does not have, and lintian passes that on as a failed
# validation. It is let through only while appstreamcli finds nothing else wrong with the
# packaged metadata.
poko_lintian_faults() {
    local findings validation others
    lintian --display-info "$1" >"$3" 2>&1 || true
    findings=$(grep -E '^[EW]:|^I: .*hardening-' "$3" || true)
    # Read whole, not through a pipe: appstreamcli fails whenever it finds anything.
    validation=$(appstreamcli validate --no-net "$2"/usr/share/metainfo/*.metainfo.xml 2>&1 || true)
    others=$(grep -E '^[EW]: ' <<<"$validation" | grep -v '^W: [^ ]*: url-homepage-missing$' || true)
    if [ -z "$others" ]; then
        findings=$(grep -v '^W: pokopenpan: appstream-metadata-validation-failed ' <<<"$findings" || true)
    fi
    [ -z "$findings" ] || echo "$findings"
}
