# bash completion for tunvale-cli: the commands, their options, the values of the options that
# take one, folders for organize, files for inspect and run journals for undo.
# Self-contained: it works with or without the bash-completion package loaded.

_tunvale_cli_reply()
{
  # Adds to COMPREPLY the words of the list $1 that start with $2.
  local -a found
  mapfile -t found < <(compgen -W "$1" -- "$2")
  COMPREPLY+=("${found[@]}")
}

_tunvale_cli_paths()
{
  # Adds to COMPREPLY the folders ($1 = -d), or the files and folders ($1 = -f), that start
  # with $2; read line by line so that names with spaces stay whole.
  local -a found
  compopt -o filenames 2>/dev/null
  mapfile -t found < <(compgen "$1" -- "$2")
  COMPREPLY+=("${found[@]}")
}

_tunvale_cli_formats()
{
  # A comma list: complete the last item, keeping those typed before it and offering only
  # the formats not named yet.
  local cur=$1 head="" item format
  local -a named=()
  if [[ $cur == *,* ]]; then
    head=${cur%,*},
    IFS=, read -r -a named <<<"${cur%,*}"
  fi
  item=${cur##*,}
  local candidates=""
  for format in mp3 flac wav aiff ogg opus m4a; do
    [[ " ${named[*]} " == *" $format "* ]] || candidates+="$head$format "
  done
  compopt -o nospace 2>/dev/null
  _tunvale_cli_reply "$candidates" "$head$item"
}

_tunvale_cli_journals()
{
  local state=${XDG_STATE_HOME:-}
  [[ $state == /* ]] || state=$HOME/.local/state
  local -a names=()
  local journal
  for journal in "$state"/tunvale/run-*.journal; do
    [[ -e $journal ]] && names+=("${journal##*/}")
  done
  _tunvale_cli_reply "${names[*]}" "$1"
}

_tunvale_cli()
{
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=""
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()

  # "--by=al": bash splits at "=", so the option is the word before the "=".
  local option=$prev
  if [[ $cur == "=" ]]; then
    option=$prev
    cur=""
  elif [[ $prev == "=" ]] && ((COMP_CWORD > 1)); then
    option=${COMP_WORDS[COMP_CWORD - 2]}
  fi

  local command="" i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      organize | inspect | undo)
        command=${COMP_WORDS[i]}
        break
        ;;
    esac
  done

  case $command in
    "")
      if [[ $cur == -* ]]; then
        _tunvale_cli_reply "--help --version" "$cur"
      else
        _tunvale_cli_reply "organize inspect undo" "$cur"
      fi
      return
      ;;
    organize)
      case $option in
        --formats) _tunvale_cli_formats "$cur"; return ;;
        --by) _tunvale_cli_reply "artist album genre decade year" "$cur"; return ;;
        --step) _tunvale_cli_reply "1 10" "$cur"; return ;;
        --quality) _tunvale_cli_reply "standard high max" "$cur"; return ;;
        --jobs) return ;;
      esac
      if [[ $cur == -* ]]; then
        _tunvale_cli_reply "--help --formats --by --step --quality --jobs --json
          -n --dry-run --plain --group-isolated --no-group-isolated --similitudes --no-similitudes
          --replace --no-replace --rename --no-rename
          --tags-from-name --no-tags-from-name --artist-in-title --no-artist-in-title
          --composer-in-title --no-composer-in-title --renumber --no-renumber
          --remove-pictures --no-remove-pictures --convert --no-convert" "$cur"
      else
        _tunvale_cli_paths -d "$cur"
      fi
      ;;
    inspect)
      if [[ $option == --by ]]; then
        _tunvale_cli_reply "artist album genre decade year" "$cur"
        return
      fi
      if [[ $cur == -* ]]; then
        _tunvale_cli_reply "--help --by --similitudes --no-similitudes
          --tags-from-name --no-tags-from-name" "$cur"
      else
        _tunvale_cli_paths -f "$cur"
      fi
      ;;
    undo)
      if [[ $cur == -* ]]; then
        _tunvale_cli_reply "--help --everything --list" "$cur"
      else
        _tunvale_cli_journals "$cur"
        _tunvale_cli_paths -f "$cur"
      fi
      ;;
  esac
}

complete -F _tunvale_cli tunvale-cli
