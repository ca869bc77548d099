# bash completion for tessel: its commands, their options, and the board names of the list the
# command line would use (read through 'tessel list --json').

_tessel_commands="list show apply export import stores init help"

# The section names of the board list, one a line. $1 is the --board-list value given, if any.
_tessel_boards() {
    local -a list=()
    [[ -n $1 ]] && list=(--board-list "${1/#\~/$HOME}")
    tessel "${list[@]}" list --json 2>/dev/null |
        sed -n 's/^ *"id": "\(.*\)",\{0,1\}$/\1/p' | sed 's/\\"/"/g; s/\\\\/\\/g'
}

_tessel() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command="" boardList="" word i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --board-list) boardList=${COMP_WORDS[i + 1]}; ((i++)) ;;
            --board-list=*) boardList=${word#*=} ;;
            --cookie-store | --cookie-charset | --name | --mail | --home-page | --view-count | \
                --download-count | --order | --unread) ((i++)) ;;
            -*) ;;
            *) [[ -z $command ]] && command=$word ;;
        esac
    done

    COMPREPLY=()
    case $prev in
        --cookie-store) mapfile -t COMPREPLY < <(compgen -W "jar firefox chromium" -- "$cur"); return ;;
        --board-list)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return ;;
        --cookie-charset) mapfile -t COMPREPLY < <(compgen -W "cp932 utf-8" -- "$cur"); return ;;
        --order) mapfile -t COMPREPLY < <(compgen -W "newest oldest" -- "$cur"); return ;;
        --unread) mapfile -t COMPREPLY < <(compgen -W "on off" -- "$cur"); return ;;
        --name | --mail | --home-page | --view-count | --download-count) return ;;
    esac

    local global="--board-list --cookie-store --cookie-charset --help --version" options=""
    case $command in
        list | stores) options="--json" ;;
        show) options="--json --show-password" ;;
        apply) options="--name --mail --home-page --password-stdin --password-prompt --view-count
                        --download-count --order --unread --all" ;;
        export) options="--with-passwords --all" ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options $global" -- "$cur")
        return
    fi
    case $command in
        "" | help) mapfile -t COMPREPLY < <(compgen -W "$_tessel_commands" -- "$cur") ;;
        show | apply | export)
            local IFS=$'\n'
            mapfile -t COMPREPLY < <(compgen -W "$(_tessel_boards "$boardList")" -- "$cur") ;;
        import)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
    esac
}

complete -F _tessel tessel
