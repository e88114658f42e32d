#!/usr/bin/env bash
# Drives the installed bash completion of vorlex-cli as bash does on <TAB>: the function that
# `complete -p` names is called with COMP_WORDS set, and its offers are compared with what the
# tool itself prints (its help's options, its stored schemes).
#
#   tests/install/check_completion.sh BIN_DIR COMPLETION_FILE
set -euo pipefail
fail() { echo "FAIL: completion: $*" >&2; exit 1; }
PATH="$1:$PATH"
# The built-in schemes: a settings file that does not exist yet.
VORLEX_SETTINGS="$(mktemp -u "${TMPDIR:-/tmp}/vorlex-completion.XXXXXX.ini")"
export VORLEX_SETTINGS
set +u # bash-completion reads unset variables
source /usr/share/bash-completion/bash_completion
source "$2"
set -u
spec="$(complete -p vorlex-cli)" || fail "vorlex-cli has no completion"
function="$(sed -n 's/.*-F \([^ ]*\) .*/\1/p' <<<"$spec")"
[ -n "$function" ] || fail "not a function completion: $spec"

# The offers for a command line typed up to the cursor at its end.
offers() {
  COMP_LINE="$1"
  COMP_POINT=${#COMP_LINE}
  read -ra COMP_WORDS <<<"$COMP_LINE"
  [[ "$COMP_LINE" == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "$function" vorlex-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() { # LINE EXPECTED...
  local line="$1" got want
  shift
  got="$(offers "$line")"
  want="$(printf '%s\n' "$@" | sort)"
  [ "$got" = "$want" ] || fail "'$line<TAB>' offers [$(echo $got)], not [$(echo $want)]"
}

expect "vorlex-cli re" recode
expect "vorlex-cli s" schemes
expect "vorlex-cli recode --action k" ka ki kw
expect "vorlex-cli batch --action=w" wa wi wk wl wm
expect "vorlex-cli auto --precision " 0 1 2 3 4 5 6 7 8 9

# Stored schemes, quoted for the shell (the built-in names hold spaces and '>').
names="$(vorlex-cli schemes | cut -f2)"
[ -n "$names" ] || fail "vorlex-cli schemes lists nothing"
mapfile -t koi < <(grep '^Koi-' <<<"$names" | while IFS= read -r n; do printf '%q\n' "$n"; done)
[ ${#koi[@]} -gt 0 ] || fail "no built-in scheme begins with Koi-"
expect "vorlex-cli recode --scheme Koi-" "${koi[@]}"
expect 'vorlex-cli recode --scheme Koi-\>' "${koi[@]}"
mapfile -t koi < <(grep '^Koi-' <<<"$names")
expect "vorlex-cli recode --scheme 'Koi->" "${koi[@]}"
expect "vorlex-cli recode --scheme Дв" "$(printf '%q' 'Двойная Win->Koi')"
mapfile -t all < <(while IFS= read -r n; do printf '%q\n' "$n"; done <<<"$names")
expect "vorlex-cli batch --scheme " "${all[@]}"

# Every option a command's help names is offered after that command.
help="$(vorlex-cli --help)"
for block in "recode auto" "auto schemes" "batch Input"; do
  set -- $block
  offered="$(offers "vorlex-cli $1 -")"
  for option in $(sed -n "/^  $1/,/^ *$2/p" <<<"$help" | sed "\$d" | grep -oE -- '(^|[ [(|])--?[a-z][a-z0-9-]*' |
    grep -oE -- '--?[a-z][a-z0-9-]*' | sort -u); do
    grep -qx -- "$option" <<<"$offered" || fail "'vorlex-cli $1 -<TAB>' does not offer $option"
  done
done
echo "bash completion offers what vorlex-cli takes"
