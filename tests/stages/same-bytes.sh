#!/bin/bash
# same-bytes.sh STAGE_MAKER SOURCES_DIR STAGES_DIR SCRATCH_DIR
# Makes every stage of SOURCES_DIR (NNNN.txt) twice into SCRATCH_DIR and
# checks that both runs and the shipped folder STAGES_DIR/NNNN hold the same
# bytes: the shipped stages are what their text forms make, on every run.
set -euo pipefail
maker="$1" sources="$2" stages="$3" scratch="$4"
Files="Map.png Back.jpg Block.jpg Front.png data.xml par.xml"
rm -rf "$scratch"
status=0
for source in "$sources"/[0-9][0-9][0-9][0-9].txt; do
    name=$(basename "$source" .txt)
    for run in 1 2; do
        "$maker" "$source" "$scratch/$run/$name"
    done
    for file in $Files; do
        cmp "$scratch/1/$name/$file" "$scratch/2/$name/$file" ||
            { echo "FAIL: $name/$file differs from one run to the next" >&2; status=1; }
        cmp "$scratch/1/$name/$file" "$stages/$name/$file" ||
            { echo "FAIL: $name/$file is not what $source makes" >&2; status=1; }
    done
done
for folder in "$stages"/[0-9][0-9][0-9][0-9]; do
    [ -f "$sources/$(basename "$folder").txt" ] ||
        { echo "FAIL: $folder has no text form in $sources" >&2; status=1; }
done
rm -rf "$scratch"
exit $status
