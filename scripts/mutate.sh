#!/usr/bin/env bash
# Breaks the program on purpose, one change at a time, and shows which unit tests catch each.
# Every entry of the list at the end is, tab-separated: the file, the exact text to find (it
# must occur once), its replacement and what the break is; "⏎" in a text is a line break.
# For each entry the change is applied, the test programs are built in the build folder
# ($BUILD, default build-mutate, configured here if it is new), ctest runs everything but the
# end-to-end scripts, the failing tests are noted, and the file is put back with git checkout.
# It refuses to run on a tree with changes of its own, since it puts files back from git.
#   bash scripts/mutate.sh            every entry
#   bash scripts/mutate.sh 3 7        entries 3 and 7 only
# Exit status 0 when every break was caught.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root" || exit 2
build="${BUILD:-build-mutate}"
if [ -n "$(git status --porcelain)" ]; then
    echo "mutate.sh: the tree has uncommitted changes; commit or stash them first" >&2
    exit 2
fi

entries=()
while IFS= read -r line; do
    [ -n "$line" ] && [[ "$line" != \#* ]] && entries+=("$line")
done < <(sed -n '/^# BREAKS$/,$p' "$0" | tail -n +2)

applied=""
restore() { [ -n "$applied" ] && git checkout -q -- "$applied"; applied=""; }
trap 'restore; exit 130' INT TERM
trap restore EXIT

# Replaces the one occurrence of $2 in file $1 by $3; fails when it occurs other than once.
apply() {
    perl -e '
        my ($path, $find, $replace) = @ARGV;
        s/⏎/\n/g for $find, $replace;
        open(my $in, "<", $path) or die "$path: $!\n";
        local $/; my $text = <$in>; close $in;
        my $count = () = $text =~ /\Q$find\E/g;
        die "found $count times\n" if $count != 1;
        $text =~ s/\Q$find\E/$replace/;
        open(my $out, ">", $path) or die "$path: $!\n";
        print $out $text; close $out;' "$@"
}

build_and_test() { # prints the failing tests, "(does not build)" or nothing
    local targets
    targets=$(ctest --test-dir "$build" -N 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: \(tst_[a-z_]*\)$/\1/p')
    # shellcheck disable=SC2086
    cmake --build "$build" -j2 --target $targets >"$build/mutate-build.log" 2>&1 ||
        { echo "(does not build)"; return; }
    ctest --test-dir "$build" -E '^e2e_' -j2 --timeout 300 >"$build/mutate-test.log" 2>&1
    sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*)$/\1/p' "$build/mutate-test.log" | sort -u | paste -sd' '
}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null || exit 2
fi
cmake --build "$build" -j2 >/dev/null || { echo "mutate.sh: the unbroken tree does not build" >&2; exit 2; }
baseline="$(build_and_test)"
if [ -n "$baseline" ]; then
    echo "mutate.sh: tests fail before any break: $baseline" >&2
    exit 2
fi

chosen=("$@")
rows=() survived=0
for i in "${!entries[@]}"; do
    n=$((i + 1))
    [ ${#chosen[@]} -gt 0 ] && [[ " ${chosen[*]} " != *" $n "* ]] && continue
    # Split by hand: read would merge the two tabs around an empty replacement.
    rest="${entries[$i]}" tab=$'\t'
    file="${rest%%"$tab"*}" rest="${rest#*"$tab"}"
    find="${rest%%"$tab"*}" rest="${rest#*"$tab"}"
    replace="${rest%%"$tab"*}" what="${rest#*"$tab"}"
    if ! message="$(apply "$file" "$find" "$replace" 2>&1)"; then
        rows+=("$(printf '%2d  %-9s %s (%s: %s)' "$n" STALE "$what" "$file" "$message")")
        survived=$((survived + 1))
        continue
    fi
    applied="$file"
    caught="$(build_and_test)"
    restore
    if [ -z "$caught" ] || [ "$caught" == "(does not build)" ]; then
        rows+=("$(printf '%2d  %-9s %s  %s' "$n" SURVIVED "$what" "$caught")")
        survived=$((survived + 1))
    else
        rows+=("$(printf '%2d  %-9s %s  <- %s' "$n" caught "$what" "$caught")")
    fi
    echo "${rows[-1]}"
done
cmake --build "$build" -j2 >/dev/null

echo
echo " #  result    break  <- tests that failed"
printf '%s\n' "${rows[@]}"
echo "${#rows[@]} breaks, $survived not caught"
[ "$survived" -eq 0 ]
exit

# BREAKS
src/res/Templates.cpp	"参照", 170, 15, 25, 15	"参照", 171, 15, 25, 15	browse button moved one dialog unit to the right
src/res/Templates.cpp	55, 25,⏎     kChild | WS_TABSTOP | BS_DEFPUSHBUTTON	55, 25,⏎     kChild | WS_TABSTOP | BS_PUSHBUTTON	start button no longer the default button
src/res/Templates.cpp	"表示更新", 175, 130	"更新", 175, 130	refresh button text changed
src/res/Templates.cpp	"ｷｬﾝｾﾙ"	"キャンセル"	settings cancel text in full-width katakana
src/mainwnd/NumberingDlg.cpp	LVCFMT_LEFT, 150)	LVCFMT_LEFT, 160)	name column 160 pixels wide
src/mainwnd/NumberingDlg.cpp	    m_listFiles.WidenColumnToShow(1, "0000/00/00  00:00");⏎		time column left at 110 pixels
src/mainwnd/NumberingDlg.cpp	"更新日時", LVCFMT_LEFT	"更新時刻", LVCFMT_LEFT	time column heading renamed
src/mainwnd/NumberingDlg.cpp	        m_strFolder = workingDirectory;	        {}	start-up fallback to the working directory removed
src/mainwnd/NumberingDlg.cpp	    ListFolder(m_strFolder, 1, 1);⏎    return true;	    ListFolder(m_strFolder, 1, 0);⏎    return true;	start-up listing keeps the prefix
src/mainwnd/NumberingDlg.cpp	"直前の変換を元に戻します。よろしいですか？", "確認"	"直前の変換を元に戻します。よろしいですか？", "Quorvel"	undo confirmation captioned Quorvel
src/mainwnd/NumberingDlg.cpp	Qt::CTRL | Qt::Key_Z	Qt::CTRL | Qt::Key_Y	undo on Ctrl+Y instead of Ctrl+Z
src/mainwnd/NumberingDlg.cpp	    ListFolder(m_strFolder, 1, 0);⏎}	    ListFolder(m_strFolder, 0, 0);⏎}	end of an undo lists quietly
src/mainwnd/ListFolder.cpp	Rgb(230, 0, 0)	Rgb(255, 0, 0)	missing rows drawn in red 255
src/mainwnd/ListFolder.cpp	"               存在しません。"	"              存在しません。"	second missing row with 14 spaces
src/mainwnd/ListFolder.cpp	    case SearchError::BadPathName:⏎		bad-path branch of the listing removed
src/mainwnd/ListFolder.cpp	    m_bNameAscending = 0;	    m_bNameAscending = 1;	a listing leaves the name column ascending next
src/rename/RenameSelected.cpp	ListFolder(m_strFolder, 1, 0);	ListFolder(m_strFolder, 0, 0);	end-of-batch relisting quiet
src/rename/RenameSelected.cpp	ListFolder(m_strFolder, 1, 0);	ListFolder(m_strFolder, 1, 1);	end-of-batch relisting clears the prefix
src/rename/RenameSelected.cpp	    if (m_bListValid == 0) {⏎        Box("ファイルもしくはフォルダが存在しない場合は\n変換はできません。", "Tessaly",⏎            MB_OK | MB_ICONEXCLAMATION);⏎        return;⏎    }⏎    int row = m_listFiles.GetNextItem(-1, LVNI_SELECTED);⏎    if (row == -1) {⏎        ShowNoSelectionMessage();⏎        return;⏎    }	    int row = m_listFiles.GetNextItem(-1, LVNI_SELECTED);⏎    if (row == -1) {⏎        ShowNoSelectionMessage();⏎        return;⏎    }⏎    if (m_bListValid == 0) {⏎        Box("ファイルもしくはフォルダが存在しない場合は\n変換はできません。", "Tessaly",⏎            MB_OK | MB_ICONEXCLAMATION);⏎        return;⏎    }	start's guards in the other order
src/rename/NameBuilder.cpp	m_lowerExt(lowerExt == 1)	m_lowerExt(lowerExt != 0)	extensions lowered for any non-zero option
src/rename/NameBuilder.cpp	m_width(ShiftJisWidth(startNumberText))	m_width(startNumberText.size())	start number width counted in UTF-8 bytes
src/mainwnd/FolderEntry.cpp	    if (!chosen)⏎        return;	    if (!chosen) {⏎        ListFolder(m_strFolder, 1, 1);⏎        return;⏎    }	folder chooser's cancel lists the folder
src/mainwnd/FolderEntry.cpp	    m_strFolder = *chosen;⏎    ListFolder(m_strFolder, 1, 1);	    m_strFolder = *chosen;⏎    ListFolder(m_strFolder, 0, 1);	browse lists quietly
src/mainwnd/FolderEntry.cpp	ListFolder(m_strFolder, 0, 1);	ListFolder(m_strFolder, 0, 0);	folder typing keeps the prefix
src/mainwnd/FolderEntry.cpp	ListFolder(m_strFolder, 0, 0);	ListFolder(m_strFolder, 1, 0);	pattern typing reports a missing folder
src/mainwnd/FolderEntry.cpp	    UpdateData(true);⏎    ListFolder(m_strFolder, 1, 0);	    UpdateData(true);⏎    ListFolder(m_strFolder, 1, 1);	refresh clears the prefix
src/mainwnd/FolderEntry.cpp	    DestroyWindow();⏎}	    OnDestroy();⏎    DestroyWindow();⏎}	exit button saves twice
src/mainwnd/SeparatorRule.cpp	now.size() < previous.size()	now.size() <= previous.size()	separator rule's length comparison
src/mainwnd/Selection.cpp	    if (m_bListValid == 0) {⏎        Box("ファイルもしくはフォルダが存在しない場合は\n選択できません。"	    if (m_bListValid != 0) {⏎        Box("ファイルもしくはフォルダが存在しない場合は\n選択できません。"	select-all guard inverted
src/mainwnd/Selection.cpp	        m_listFiles.SetItemState(1, 0, LVIS_SELECTED | LVIS_FOCUSED);⏎		a click leaves the second missing row marked
src/mainwnd/MovePlan.cpp	plan.focusRow = static_cast<std::int64_t>(i) - 2;	plan.focusRow = static_cast<std::int64_t>(i) - 1;	focus mark one row off after moving up
src/mainwnd/SortKey.cpp	return c >= 0x41 && c <= 0x5A ?	return c >= 0x41 && c < 0x5A ?	sort folding leaves Z unfolded
src/mainwnd/ListOrdering.cpp	        *flag = 1;	        *flag = 0;	a column click leaves the other columns descending next
src/settings/SettingsKeys.h	kDefaultLowerExt = 1;	kDefaultLowerExt = 0;	lower-case option off by default
src/settings/SettingsKeys.h	kDefaultStartNumber = "001";	kDefaultStartNumber = "01";	start number 01 by default
src/platform/DialogUnits.cpp	(std::llabs(product) + half) / std::llabs(c)	std::llabs(product) / std::llabs(c)	dialog units truncated instead of rounded
src/platform/DialogUnits.cpp	m_baseY = metrics.height();	m_baseY = metrics.ascent();	base y from the ascent
src/platform/Dialog.cpp	label.y + label.cy == edit.y	label.y == edit.y	edit boxes lose their labels' names
src/platform/Dialog.cpp	type == SS_CENTER ? Qt::AlignHCenter	type == SS_ICON ? Qt::AlignHCenter	centred label drawn left-aligned
src/platform/FileListView.cpp	    setPalette(rows);⏎		list takes the desktop's palette
src/platform/FileListView.cpp	        !(m_model->state(row) & LVIS_SELECTED)) {	        true) {	right click on a selected row drops the others
src/platform/FileListView.cpp	    setFocusRow(row);⏎}⏎⏎void FileListView::mousePressEvent	}⏎⏎void FileListView::mousePressEvent	right click leaves the focus mark
src/platform/FileTimeText.cpp	secondOfDay / 60 % 60, 2)	secondOfDay / 60 % 60 + 1, 2)	modified time one minute off
